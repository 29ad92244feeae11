// Guards how numbers are written: the conversion of an extended-precision value to its 18
// significant decimal digits (nearest, ties to even) and the cut to a number of decimals (half
// away from zero on those 18 digits), against the C library's correctly rounded conversion; the
// fixed form that shares use, the grouped currency form of sizes and how its placements pick a
// template, the switch to the general form from 10^18 on, and the marks of infinity and
// not-a-number. And the pattern language of FormatText: literal text and "%%", widths that pad
// with blanks, the precision of each conversion, the refusals with their exact messages, and the
// 4096-byte limit on a result.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "runtime/DecimalDigits.h"
#include "runtime/Errors.h"
#include "runtime/FloatText.h"
#include "runtime/FormatText.h"
#include "tests/runtime/LocaleTestSupport.h"

namespace zelk {
namespace {

// "-0.123e4" for digits 123, exponent 4, negative.
std::string Written(const std::string& digits, int exponent, bool negative) {
    return (negative ? "-0." : "0.") + digits + "e" + std::to_string(exponent);
}

void DropTrailingZeros(std::string& digits) {
    digits.erase(digits.find_last_not_of('0') + 1);
}

std::string ReferenceDigits(long double v, int precision, int decimals) {
    if (v == 0 || std::fpclassify(v) == FP_SUBNORMAL) {
        return Written("", 0, false);
    }
    // The C library writes every long double exactly, rounded to nearest with ties to even.
    char text[64];
    std::snprintf(text, sizeof text, "%.17Le", std::fabs(v));  // d.ddd...de+x
    std::string digits = text[0] + std::string(text + 2, 17);
    int exponent = std::atoi(std::strchr(text, 'e') + 1) + 1;
    DropTrailingZeros(digits);
    const int cut =
        std::min(decimals == DecimalDigits::kNoLimit ? precision : exponent + decimals, precision);
    if (cut < 0) {
        return Written("", 0, false);
    }
    if (cut < static_cast<int>(digits.size())) {
        const bool up = digits[static_cast<std::size_t>(cut)] >= '5';
        digits.resize(static_cast<std::size_t>(cut));
        // Rounding up turns trailing nines into zeros, which are dropped anyway.
        while (up && !digits.empty() && digits.back() == '9') {
            digits.pop_back();
        }
        if (up && digits.empty()) {
            digits = "1";
            ++exponent;
        } else if (up) {
            ++digits.back();
        }
    }
    DropTrailingZeros(digits);
    return Written(digits, exponent, v < 0);
}

void ExpectMatchesReference(long double v, int precision, int decimals) {
    const DecimalDigits actual(v, precision, decimals);
    const std::string digits(actual.Digits, actual.Count);
    EXPECT_EQ(Written(digits, actual.Exponent, actual.Negative),
              ReferenceDigits(v, precision, decimals))
        << "value " << v << " precision " << precision << " decimals " << decimals;
    EXPECT_EQ(std::string(actual.Digits), digits);  // zero-terminated after the count
}

// Powers of ten and their neighbours, the double's integer limit, values just under 10^18
// (ties on the last digit go to the even neighbour, the odd one carries into a 19th digit),
// the limits of both types (the double's smallest subnormal is a normal long double), zero and
// subnormals (no digits and no sign, either way round), and
// 2^-n, which ends in a 5 at decimal n and so meets exactly one half when cut after n - 1.
TEST(DecimalDigits, BoundaryValuesAndHalvesMatchTheExactExpansion) {
    using L = std::numeric_limits<long double>;
    using D = std::numeric_limits<double>;
    const long double two53 = 9007199254740992.0L;
    // clang-format off
    std::vector<long double> values = {
        0.5L, 0.1L, 2.5L, 12.5L, 99.5L, 2.4999L, 1.0L / 3, two53 - 1, two53, two53 + 1, two53 + 2,
        999999999999999999.0L, 999999999999999999.5L, 999999999999999998.5L,
        999999999999999999.75L, 999999999999999999.25L, 99999999999999999.95L,
        123456789012345678.5L, 123456789012345677.5L, 1000000000000000005.0L,
        1000000000000000015.0L, L::max(), L::min(), D::max(), D::min(), D::denorm_min(), 0.0L,
        L::denorm_min(), L::min() / 2};
    // clang-format on
    long double power = 1;
    for (int k = 0; k <= 40; ++k, power *= 10) {
        for (const long double p : {power, 1 / power}) {
            values.insert(values.end(), {p, std::nextafter(p, 0.0L), std::nextafter(p, L::max())});
        }
    }
    for (const long double v : values) {
        ExpectMatchesReference(v, 18, DecimalDigits::kNoLimit);
        ExpectMatchesReference(-v, 18, DecimalDigits::kNoLimit);
        ExpectMatchesReference(v, 18, 0);
        ExpectMatchesReference(v, 18, 2);
        ExpectMatchesReference(v, 7, DecimalDigits::kNoLimit);
    }
    for (int n = 1; n <= 40; ++n) {
        const long double half = std::ldexp(1.0L, -n);
        for (const long double v : {half, 7 + half, 1234 + half, -half}) {
            ExpectMatchesReference(v, 18, n - 1);
        }
    }
    for (long double whole = 1; whole < 1e17L; whole = whole * 10 + 7) {
        ExpectMatchesReference(whole + 0.5L, 18, 0);
    }
}

// Full 64-bit mantissas near 1 and anywhere in the exponent range.
TEST(DecimalDigits, RandomValuesMatchTheExactExpansion) {
    std::mt19937_64 random(20261207);
    const auto value = [&](int from, int to) {
        return std::ldexp(static_cast<long double>(random() | (1ULL << 63)),
                          std::uniform_int_distribution<int>(from, to)(random));
    };
    for (int i = 0; i < 20000; ++i) {
        ExpectMatchesReference(value(-130, 70), 18, DecimalDigits::kNoLimit);
        ExpectMatchesReference(value(-130, 70), std::uniform_int_distribution<int>(2, 18)(random),
                               std::uniform_int_distribution<int>(-1, 20)(random));
    }
    for (int i = 0; i < 300; ++i) {
        ExpectMatchesReference(value(-16440, 16320), 18, DecimalDigits::kNoLimit);
    }
}

class FloatTextTest : public JapaneseDesktopTest {
  protected:
    static LocaleFormats Marks(std::string symbol, char group, char decimal = '.') {
        LocaleFormats formats = *CurrentLocaleFormats();
        formats.CurrencySymbol = std::move(symbol);
        formats.GroupMark = group;
        formats.DecimalMark = decimal;
        return formats;
    }
    static std::string Money(long double v, const LocaleFormats& formats, int decimals = 0) {
        return FloatText(v, FloatForm::Currency, 18, decimals, formats);
    }
    static std::string Fixed(long double v, int decimals) {
        return FloatText(v, FloatForm::Fixed, 18, decimals);
    }
    const LocaleFormats x = Marks("X", ',');
};

// Every remainder of the integer length by three, and from 19 digits on the general form,
// without the symbol.
TEST_F(FloatTextTest, CurrencyGroupsIntegersInThreesUpToEighteenDigits) {
    const long double big = 9007199254740992.0L + 2;
    // clang-format off
    const std::pair<std::string, const char*> rows[] = {
        {Money(1, x), "X1"}, {Money(12345, x), "X12,345"}, {Money(123456, x), "X123,456"},
        {Money(1234567, x), "X1,234,567"},
        {Money(123456789012345678.0L, x), "X123,456,789,012,345,678"},
        {Money(1234567890123456789.0L, x), "1.23456789012345679E18"},
        {Money(1234.5L, x, 2), "X1,234.50"}, {Money(1234567, Marks("", ',')), "1,234,567"},
        {Money(1234567, Marks("X", '\0')), "X1234567"}, {Money(-0.0L, x), "X0"},
        {Money(big, x), "X9,007,199,254,740,994"}, {Fixed(big, 0), "9007199254740994"},
        {Money(999999999999999999.5L, x), "1E18"}, {Fixed(1e18L, 0), "1E18"},
        {Money(1.5e18L, x), "1.5E18"}, {Fixed(-1.5e18L, 2), "-1.5E18"}};
    // clang-format on
    for (const auto& [written, expected] : rows) {
        EXPECT_EQ(written, expected);
    }
}

// Each placement picks its own template and values past the last take the last; the table of
// templates is not typed again here.
TEST_F(FloatTextTest, PlacementsPickTheirTemplateForSymbolAndSign) {
    LocaleFormats formats = x;
    for (const auto& [placement, expected] :
         {std::pair{0, "X1,234"}, {3, "1,234 X"}, {4, "1,234 X"}}) {
        formats.CurrencyPlacement = static_cast<std::uint8_t>(placement);
        EXPECT_EQ(Money(1234, formats), expected) << placement;
    }
    // clang-format off
    const std::pair<int, const char*> negative[] = {
        {0, "(X1,234)"}, {3, "X1,234-"}, {9, "-X 1,234"}, {15, "(1,234 X)"}, {16, "(1,234 X)"}};
    // clang-format on
    for (const auto& [placement, expected] : negative) {
        formats.NegativeCurrencyPlacement = static_cast<std::uint8_t>(placement);
        EXPECT_EQ(Money(-1234, formats), expected) << placement;
    }
}

// Halves away from zero, the carry of nines, a minus kept only where a digit was cut, never
// grouped, exactly the decimals asked and 18 digits at most.
TEST_F(FloatTextTest, FixedAndGeneralFormsPlaceTheDigitsAroundTheDecimalMark) {
    // clang-format off
    const std::tuple<long double, int, const char*> fixed[] = {
        {0, 0, "0"}, {12.5L, 0, "13"}, {99.5L, 0, "100"}, {-0.5L, 0, "-1"}, {-0.4L, 0, "-0"},
        {-0.04L, 0, "0"}, {0.96L, 1, "1.0"}, {1234567.0L, 0, "1234567"}, {3.14159L, 3, "3.142"},
        {2, 2, "2.00"}, {0.001234L, 5, "0.00123"}, {0.00004L, 4, "0.0000"}, {-0.125L, 2, "-0.13"},
        {1e17L + 0.5L, 3, "100000000000000000.000"}};
    const std::tuple<long double, int, const char*> general[] = {
        {1234.5L, 18, "1.2345E3"}, {-0.00125L, 18, "-1.25E-3"}, {7, 18, "7E0"},
        {1.0L / 3, 5, "3.3333E-1"}};
    // clang-format on
    for (const auto& [value, decimals, expected] : fixed) {
        EXPECT_EQ(Fixed(value, decimals), expected) << expected;
    }
    for (const auto& [value, precision, expected] : general) {
        EXPECT_EQ(FloatText(value, FloatForm::General, precision, DecimalDigits::kNoLimit),
                  expected);
    }
    EXPECT_EQ(FloatText(3.25L, FloatForm::Fixed, 18, 2, Marks("", ',', ',')), "3,25");
}

TEST_F(FloatTextTest, InfinityAndNotANumberAreWrittenWithoutSign) {
    const long double inf = std::numeric_limits<long double>::infinity();
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    for (const FloatForm form : {FloatForm::Fixed, FloatForm::Currency, FloatForm::General}) {
        for (const long double v : {inf, -inf, nan, -nan}) {
            EXPECT_EQ(FloatText(v, form, 18, 0, x), std::isinf(v) ? "INF" : "NAN");
        }
    }
}

using FormatTextTest = JapaneseDesktopTest;

std::string WrongKind(const std::string& directive) {
    return "書式文字列 '" + directive + "' は正しくないか引数の型と一致しません";
}

std::string Missing(const std::string& directive) {
    return "書式文字列 '" + directive + "' の引数が見つかりません";
}

// Each pattern formatted with its one argument.
void ExpectEach(std::initializer_list<std::tuple<std::string, FormatArg, std::string>> cases) {
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

// Results of at most 4096 bytes are returned whole.
TEST_F(FormatTextTest, ResultsOfAtMost4096BytesAreReturned) {
    const std::string exact(4096, 'a'), b4091(4091, 'b');
    EXPECT_EQ(FormatText(exact, {}), exact);
    // clang-format off
    ExpectEach({{"%s", exact, exact}, {"%4096d", 1, std::string(4095, ' ') + "1"},
                {b4091 + "%m", 100.0, b4091 + "¥100"}});
    // clang-format on
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
