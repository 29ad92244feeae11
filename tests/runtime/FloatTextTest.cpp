// Guards how numbers are written: the fixed form that shares use, the grouped currency form of
// sizes and how its placements pick a template, the switch to the general form from 10^18 on, and
// the marks of infinity and not-a-number.

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
};

TEST_F(FloatTextTest, CurrencyGroupsEveryIntegerLengthInThrees) {
    const LocaleFormats formats = Marks("X", ',');
    const char* const expected[] = {
        "X1", "X12", "X123", "X1,234", "X12,345", "X123,456", "X1,234,567", "X12,345,678",
        "X123,456,789", "X1,234,567,890", "X12,345,678,901", "X123,456,789,012",
        "X1,234,567,890,123", "X12,345,678,901,234", "X123,456,789,012,345",
        "X1,234,567,890,123,456", "X12,345,678,901,234,567", "X123,456,789,012,345,678",
        // 19 digits no longer fit: general form, no symbol
        "1.23456789012345679E18"};
    long double v = 0;
    for (int digits = 1; digits <= 19; ++digits) {
        v = v * 10 + digits % 10;
        EXPECT_EQ(Money(v, formats), expected[digits - 1]) << digits << " digits";
    }
    EXPECT_EQ(Money(1234.5L, formats, 2), "X1,234.50");
    EXPECT_EQ(Money(1234567, Marks("", ',')), "1,234,567");
    EXPECT_EQ(Money(1234567, Marks("X", '\0')), "X1234567");  // an empty group item
}

// Each placement picks its own template and values past the last take the last; the table of
// templates is not typed again here.
TEST_F(FloatTextTest, PlacementsPickTheirTemplateForSymbolAndSign) {
    LocaleFormats formats = Marks("X", ',');
    const std::pair<int, const char*> positive[] = {{0, "X1,234"}, {3, "1,234 X"}, {4, "1,234 X"}};
    for (const auto& [placement, expected] : positive) {
        formats.CurrencyPlacement = static_cast<std::uint8_t>(placement);
        EXPECT_EQ(Money(1234, formats), expected) << placement;
    }
    const std::pair<int, const char*> negative[] = {
        {0, "(X1,234)"}, {3, "X1,234-"}, {9, "-X 1,234"}, {15, "(1,234 X)"}, {16, "(1,234 X)"}};
    for (const auto& [placement, expected] : negative) {
        formats.NegativeCurrencyPlacement = static_cast<std::uint8_t>(placement);
        EXPECT_EQ(Money(-1234, formats), expected) << placement;
    }
}

TEST_F(FloatTextTest, SizesKeepEveryDigitBelowTenToTheEighteenth) {
    const LocaleFormats formats = Marks("X", ',');
    EXPECT_EQ(Money(0, formats), "X0");
    EXPECT_EQ(Money(-0.0L, formats), "X0");
    const long double big = 9007199254740992.0L + 2;
    EXPECT_EQ(Money(big, formats), "X9,007,199,254,740,994");
    EXPECT_EQ(Fixed(big, 0), "9007199254740994");
    EXPECT_EQ(Money(999999999999999999.0L, formats), "X999,999,999,999,999,999");
    EXPECT_EQ(Money(999999999999999999.5L, formats), "1E18");  // rounds up past the limit
    EXPECT_EQ(Money(1e18L, formats), "1E18");
    EXPECT_EQ(Fixed(1e18L, 0), "1E18");
    EXPECT_EQ(Money(1.5e18L, formats), "1.5E18");
    EXPECT_EQ(Fixed(-1.5e18L, 2), "-1.5E18");
}

TEST_F(FloatTextTest, FixedFormRoundsHalvesAwayFromZero) {
    EXPECT_EQ(Fixed(0, 0), "0");
    EXPECT_EQ(Fixed(12.5L, 0), "13");
    EXPECT_EQ(Fixed(0.5L, 0), "1");
    EXPECT_EQ(Fixed(99.5L, 0), "100");
    EXPECT_EQ(Fixed(2.4999L, 0), "2");
    EXPECT_EQ(Fixed(-0.5L, 0), "-1");
    EXPECT_EQ(Fixed(-0.4L, 0), "-0");
    EXPECT_EQ(Fixed(-0.04L, 0), "0");
    EXPECT_EQ(Fixed(0.96L, 1), "1.0");           // the carry drops the nines
    EXPECT_EQ(Fixed(1234567.0L, 0), "1234567");  // never grouped
}

TEST_F(FloatTextTest, FixedFormWritesExactlyTheDecimalsAsked) {
    EXPECT_EQ(Fixed(3.14159L, 3), "3.142");
    EXPECT_EQ(Fixed(2, 2), "2.00");
    EXPECT_EQ(Fixed(0.001234L, 5), "0.00123");
    EXPECT_EQ(Fixed(0.00004L, 4), "0.0000");
    EXPECT_EQ(Fixed(0.00005L, 4), "0.0001");
    EXPECT_EQ(Fixed(-0.125L, 2), "-0.13");
    EXPECT_EQ(Fixed(1e17L + 0.5L, 3), "100000000000000000.000");  // 18 digits only
    EXPECT_EQ(FloatText(3.25L, FloatForm::Fixed, 18, 2, Marks("", ',', ',')), "3,25");
}

TEST_F(FloatTextTest, GeneralFormWritesOneDigitBeforeTheMark) {
    EXPECT_EQ(FloatText(1234.5L, FloatForm::General, 18, DecimalDigits::kNoLimit), "1.2345E3");
    EXPECT_EQ(FloatText(-0.00125L, FloatForm::General, 18, DecimalDigits::kNoLimit), "-1.25E-3");
    EXPECT_EQ(FloatText(7, FloatForm::General, 18, DecimalDigits::kNoLimit), "7E0");
    EXPECT_EQ(FloatText(1.0L / 3, FloatForm::General, 5, DecimalDigits::kNoLimit), "3.3333E-1");
}

TEST_F(FloatTextTest, InfinityAndNotANumberAreWrittenWithoutSign) {
    const LocaleFormats formats = Marks("X", ',');
    const long double inf = std::numeric_limits<long double>::infinity();
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    for (const FloatForm form : {FloatForm::Fixed, FloatForm::Currency, FloatForm::General}) {
        EXPECT_EQ(FloatText(inf, form, 18, 0, formats), "INF");
        EXPECT_EQ(FloatText(-inf, form, 18, 0, formats), "INF");
        EXPECT_EQ(FloatText(nan, form, 18, 0, formats), "NAN");
        EXPECT_EQ(FloatText(-nan, form, 18, 0, formats), "NAN");
    }
}

}  // namespace
}  // namespace zelk
