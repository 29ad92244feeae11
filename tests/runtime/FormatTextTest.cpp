// Guards the pattern language of FormatText: literal text and "%%", widths that pad with blanks,
// the precision of each conversion, the refusals with their exact messages, and the 4096-byte
// limit on a result.

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>

#include "runtime/Errors.h"
#include "runtime/FormatText.h"
#include "tests/runtime/LocaleTestSupport.h"

namespace zelk {
namespace {

using FormatTextTest = JapaneseDesktopTest;

std::string RefusalOf(std::string_view pattern, std::initializer_list<FormatArg> args) {
    try {
        FormatText(pattern, args);
    } catch (const EConvertError& error) {
        return error.Message();
    }
    return "(no refusal)";
}

std::string WrongKind(const std::string& directive) {
    return "書式文字列 '" + directive + "' は正しくないか引数の型と一致しません";
}

std::string Missing(const std::string& directive) {
    return "書式文字列 '" + directive + "' の引数が見つかりません";
}

struct OneArgCase {
    const char* pattern;
    FormatArg arg;
    const char* expected;
};

void ExpectEach(std::span<const OneArgCase> cases) {
    for (const OneArgCase& c : cases) {
        EXPECT_EQ(FormatText(c.pattern, {c.arg}), c.expected) << c.pattern;
    }
}

TEST_F(FormatTextTest, PercentSignsAndPatternEndsAreCopiedAsTheRulesSay) {
    EXPECT_EQ(FormatText("100%% done", {}), "100% done");
    EXPECT_EQ(FormatText("trailing%", {}), "trailing");
    EXPECT_EQ(FormatText("", {}), "");
    const OneArgCase cut[] = {
        {"cut %5", 1, "cut "}, {"cut %5.", 1, "cut "}, {"cut %5.3", 1, "cut "}};
    ExpectEach(cut);
    EXPECT_EQ(FormatText("%s %0.0f%%", {"text", 33.4}), "text 33%");
    EXPECT_EQ(FormatText("%d%s", {7, "x", 9}), "7x");  // arguments left over are ignored
}

// The width counts bytes and pads with blanks; precision gives integers zeros after the sign
// up to fifteen, cuts strings to bytes, and gives floats the decimals asked or their default
// (for m the locale's currency digits).
TEST_F(FormatTextTest, WidthPadsWithoutCuttingAndPrecisionFitsEachConversion) {
    const OneArgCase cases[] = {
        {"%2d", 5, " 5"},           {"%02d", 5, " 5"},         {"%2d", 12, "12"},
        {"%2d", 123, "123"},        {"%2d", -5, "-5"},         {"%5s|", "ab", "   ab|"},
        {"%8m", 1234.0, " ¥1,234"}, {"%6.1f", 2.25, "   2.3"}, {"%.3d", 5, "005"},
        {"%.3d", -5, "-005"},       {"%.2d", 1234, "1234"},    {"%.0d", 0, "0"},
        {"%.16d", 1, "1"},          {"%6.3d", -7, "  -007"},   {"%D", 42, "42"},
        {"%.2s", "abcd", "ab"},     {"%.10s", "abcd", "abcd"}, {"[%.0s]", "abcd", "[]"},
        {"%f", 2.0, "2.00"},        {"%.19f", 2.0, "2.00"},    {"%F", 2.5, "2.50"},
        {"%.2M", 1.5, "¥1.50"}};
    ExpectEach(cases);
    EXPECT_EQ(FormatText("%.15d", {1}), "000000000000001");
    EXPECT_EQ(FormatText("%d", {INT32_MIN}), "-2147483648");
    EXPECT_EQ(FormatText("%.18f", {0.5}), "0.500000000000000000");
    EXPECT_EQ(FormatText("%m", {1200000.0}), "¥1,200,000");
    EXPECT_EQ(FormatText("%S", {std::string("x\0y", 3)}), std::string("x\0y", 3));
    WithFormats([](LocaleFormats& f) { f.CurrencyDigits = 2; });
    const OneArgCase twoDigits[] = {
        {"%m", 3.0, "¥3.00"}, {"%.19m", 3.0, "¥3.00"}, {"%0.0m", 3.0, "¥3"}};
    ExpectEach(twoDigits);
}

TEST_F(FormatTextTest, MismatchedConversionsAndMissingArgumentsAreRefusedWithTheirDirective) {
    const std::pair<OneArgCase, const char*> wrong[] = {
        {{"%d", "text", ""}, "%d"}, {{"%s", 5, ""}, "%s"},    {{"a %5.2f b", 5, ""}, "%5.2f"},
        {{"%m", "1", ""}, "%m"},    {{"%d", 1.0, ""}, "%d"},  {{"%x", 1, ""}, "%x"},
        {{"%-5d", 1, ""}, "%-"},    {{"%3あ", 1, ""}, "%3あ"}};  // a character is never split
    for (const auto& [c, directive] : wrong) {
        EXPECT_EQ(RefusalOf(c.pattern, {c.arg}), WrongKind(directive)) << c.pattern;
    }
    EXPECT_EQ(RefusalOf("%d", {}), Missing("%d"));
    EXPECT_EQ(RefusalOf("%s and %12.4m", {"a"}), Missing("%12.4m"));
    EXPECT_EQ(RefusalOf("%q", {}), Missing("%q"));
}

TEST_F(FormatTextTest, LongDirectivesAreShownCutAtACharacterBoundary) {
    const std::string digits30(30, '1');
    EXPECT_EQ(RefusalOf("%" + digits30 + "d", {"x"}), WrongKind("%" + digits30));
    const std::string digits29(29, '2');
    EXPECT_EQ(RefusalOf("%" + digits29 + "s", {1}), WrongKind("%" + digits29 + "s"));
    // A three-byte character from byte 30 on would be split at 31: it is left out whole.
    const std::string digits28(28, '3');
    EXPECT_EQ(RefusalOf("%" + digits28 + "あ", {1}), WrongKind("%" + digits28));
    const std::string digits27(27, '4');
    EXPECT_EQ(RefusalOf("%" + digits27 + "あ", {}), Missing("%" + digits27 + "あ"));
}

TEST_F(FormatTextTest, ResultsOfAtMost4096BytesAreReturnedAndLongerOnesRefused) {
    const std::string limit = "結果が 4096 文字以上あります";
    const std::string exact(4096, 'a');
    EXPECT_EQ(FormatText("%s", {exact}), exact);
    EXPECT_EQ(FormatText(exact, {}), exact);
    EXPECT_EQ(FormatText("%4096d", {1}).size(), 4096u);
    EXPECT_EQ(FormatText(std::string(4091, 'b') + "%m", {100.0}).size(), 4096u);
    EXPECT_EQ(RefusalOf("%s", {exact + "a"}), limit);
    EXPECT_EQ(RefusalOf(exact + "a", {}), limit);
    EXPECT_EQ(RefusalOf(exact + "%%", {}), limit);
    EXPECT_EQ(RefusalOf("%4097d", {1}), limit);
    EXPECT_EQ(RefusalOf("%99999999999999999999s", {"x"}), limit);
    EXPECT_EQ(RefusalOf(std::string(4091, 'b') + "%m", {1000.0}), limit);
}

}  // namespace
}  // namespace zelk
