// Guards the pattern language of FormatText: literal text and "%%", widths that pad with blanks,
// the precision of each conversion, the refusals with their exact messages, and the 4096-byte
// limit on a result.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "runtime/Errors.h"
#include "runtime/FormatText.h"
#include "tests/runtime/LocaleTestSupport.h"

namespace zelk {
namespace {

using FormatTextTest = JapaneseDesktopTest;

std::string WrongKind(const std::string& directive) {
    return "書式文字列 '" + directive + "' は正しくないか引数の型と一致しません";
}

std::string Missing(const std::string& directive) {
    return "書式文字列 '" + directive + "' の引数が見つかりません";
}

// Each pattern formatted with its one argument.
void ExpectEach(std::initializer_list<std::tuple<const char*, FormatArg, std::string>> cases) {
    for (const auto& [pattern, arg, expected] : cases) {
        EXPECT_EQ(FormatText(pattern, {arg}), expected) << pattern;
    }
}

// A pattern ending inside a directive ends the text there; arguments left over are ignored.
// The width counts bytes and pads with blanks; precision gives integers zeros after the sign
// up to fifteen, cuts strings to bytes, and gives floats the decimals asked or their default
// (for m the locale's currency digits).
TEST_F(FormatTextTest, WidthPadsWithoutCuttingAndPrecisionFitsEachConversion) {
    EXPECT_EQ(FormatText("100%% done", {}), "100% done");
    EXPECT_EQ(FormatText("trailing%", {}), "trailing");
    EXPECT_EQ(FormatText("", {}), "");
    EXPECT_EQ(FormatText("%s %0.0f%%", {"text", 33.4}), "text 33%");
    EXPECT_EQ(FormatText("%d%s", {7, "x", 9}), "7x");
    // clang-format off
    ExpectEach({{"cut %5", 1, "cut "}, {"cut %5.", 1, "cut "}, {"cut %5.3", 1, "cut "},
                {"%2d", 5, " 5"}, {"%02d", 5, " 5"}, {"%2d", 12, "12"}, {"%2d", 123, "123"},
                {"%2d", -5, "-5"}, {"%5s|", "ab", "   ab|"}, {"%8m", 1234.0, " ¥1,234"},
                {"%6.1f", 2.25, "   2.3"}, {"%.3d", 5, "005"}, {"%.3d", -5, "-005"},
                {"%.2d", 1234, "1234"}, {"%.0d", 0, "0"}, {"%.15d", 1, "000000000000001"},
                {"%.16d", 1, "1"}, {"%6.3d", -7, "  -007"}, {"%D", 42, "42"},
                {"%d", INT32_MIN, "-2147483648"}, {"%.2s", "abcd", "ab"}, {"%.10s", "abcd", "abcd"},
                {"[%.0s]", "abcd", "[]"}, {"%S", std::string("x\0y", 3), std::string("x\0y", 3)},
                {"%f", 2.0, "2.00"}, {"%.19f", 2.0, "2.00"}, {"%F", 2.5, "2.50"},
                {"%.18f", 0.5, "0.500000000000000000"}, {"%.2M", 1.5, "¥1.50"},
                {"%m", 1200000.0, "¥1,200,000"}});
    // clang-format on
    WithFormats([](LocaleFormats& f) { f.CurrencyDigits = 2; });
    ExpectEach({{"%m", 3.0, "¥3.00"}, {"%.19m", 3.0, "¥3.00"}, {"%0.0m", 3.0, "¥3"}});
}

TEST_F(FormatTextTest, ResultsOfAtMost4096BytesAreReturned) {
    const std::string exact(4096, 'a');
    EXPECT_EQ(FormatText("%s", {exact}), exact);
    EXPECT_EQ(FormatText(exact, {}), exact);
    EXPECT_EQ(FormatText("%4096d", {1}).size(), 4096u);
    EXPECT_EQ(FormatText(std::string(4091, 'b') + "%m", {100.0}).size(), 4096u);
}

// A refusal names the directive, cut at 30 bytes without splitting a character (a three-byte
// character from byte 30 on would be split at 31: it is left out whole).
TEST_F(FormatTextTest, RefusalsNameTheirDirectiveOrTheLimitOfTheResult) {
    const std::string limit = "結果が 4096 文字以上あります";
    const std::string tooLong(4097, 'a');
    const std::string d30(30, '1'), d29(29, '2'), d28(28, '3'), d27(27, '4');
    // clang-format off
    const std::tuple<std::string, std::vector<FormatArg>, std::string> cases[] = {
        {"%d", {"text"}, WrongKind("%d")}, {"%s", {5}, WrongKind("%s")},
        {"a %5.2f b", {5}, WrongKind("%5.2f")}, {"%m", {"1"}, WrongKind("%m")},
        {"%d", {1.0}, WrongKind("%d")}, {"%x", {1}, WrongKind("%x")},
        {"%-5d", {1}, WrongKind("%-")}, {"%3あ", {1}, WrongKind("%3あ")},
        {"%" + d30 + "d", {"x"}, WrongKind("%" + d30)},
        {"%" + d29 + "s", {1}, WrongKind("%" + d29 + "s")},
        {"%" + d28 + "あ", {1}, WrongKind("%" + d28)},
        {"%" + d27 + "あ", {}, Missing("%" + d27 + "あ")},
        {"%d", {}, Missing("%d")}, {"%s and %12.4m", {"a"}, Missing("%12.4m")},
        {"%q", {}, Missing("%q")}, {"%s", {tooLong}, limit}, {tooLong, {}, limit},
        {tooLong.substr(1) + "%%", {}, limit}, {"%4097d", {1}, limit},
        {"%99999999999999999999s", {"x"}, limit}, {std::string(4091, 'b') + "%m", {1000.0}, limit}};
    // clang-format on
    for (const auto& [pattern, args, message] : cases) {
        try {
            FormatText(pattern, args);
            ADD_FAILURE() << "no refusal of " << pattern;
        } catch (const EConvertError& error) {
            EXPECT_EQ(error.Message(), message) << pattern;
        }
    }
}

}  // namespace
}  // namespace zelk
