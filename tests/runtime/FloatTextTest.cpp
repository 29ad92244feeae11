// Guards how numbers are written: the fixed form that shares use, the grouped currency form of
// sizes and how its placements pick a template, the switch to the general form from 10^18 on, and
// the marks of infinity and not-a-number. The rounding itself is the decimal digits' own.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "runtime/DecimalDigits.h"
#include "runtime/FloatText.h"
#include "tests/runtime/LocaleTestSupport.h"

namespace zelk {
namespace {

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

// From 19 digits on the general form is written, without the symbol.
TEST_F(FloatTextTest, CurrencyGroupsEveryIntegerLengthInThreesUpToEighteenDigits) {
    // clang-format off
    const char* const expected[] = {
        "X1", "X12", "X123", "X1,234", "X12,345", "X123,456", "X1,234,567", "X12,345,678",
        "X123,456,789", "X1,234,567,890", "X12,345,678,901", "X123,456,789,012",
        "X1,234,567,890,123", "X12,345,678,901,234", "X123,456,789,012,345",
        "X1,234,567,890,123,456", "X12,345,678,901,234,567", "X123,456,789,012,345,678",
        "1.23456789012345679E18"};
    // clang-format on
    long double v = 0;
    for (int digits = 1; digits <= 19; ++digits) {
        v = v * 10 + digits % 10;
        EXPECT_EQ(Money(v, x), expected[digits - 1]) << digits << " digits";
    }
    const long double big = 9007199254740992.0L + 2;
    // clang-format off
    const std::pair<std::string, const char*> rows[] = {
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

}  // namespace
}  // namespace zelk
