// Guards the calendar of the date-time value: day numbers and calendar dates agree with a plain
// day-by-day count for every day of years 1 to 9999, leap years follow the Gregorian rule, the
// time of day is rounded to milliseconds with ties to even, and values before 1899 or before
// year 1 still give sound fields. And how values are written: the Japanese desktop's date and
// time, every element of the pattern language, the 12-hour clock and the minutes rule, quotes,
// nesting, era texts and the 256-byte cut, which never splits a character.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <tuple>

#include "runtime/DateCalendar.h"
#include "runtime/DateTimeTestSupport.h"
#include "runtime/DateTimeText.h"
#include "runtime/Errors.h"
#include "runtime/SystemLocale.h"

namespace zelk {
namespace {

std::uint16_t U(int v) {
    return static_cast<std::uint16_t>(v);
}

// Year, month, day and weekday (1 is Sunday) as the digits of one number.
long Packed(int year, int month, int day, int weekday) {
    return ((year * 100L + month) * 100 + day) * 10 + weekday;
}

long PackedDateOf(TDateTime value) {
    const CalendarDate date = CalendarDateOf(value);
    return Packed(date.Year, date.Month, date.Day, WeekdayOf(value));
}

// Counts from 1 January of year 1, a Monday, one day at a time with its own month lengths.
TEST(DateCalendar, EveryDayOfYearsOneToNineThousandNineHundredNinetyNineRoundTrips) {
    static const int kLengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int year = 1, month = 1, day = 1, weekday = 2;
    for (long count = 1; year <= 9999; ++count) {
        const auto number = DayNumberOf(U(year), U(month), U(day));
        ASSERT_EQ(number.value_or(-1e9), count - 693594) << year << "-" << month << "-" << day;
        // Late in the day, on either side of 1899, the date stays the same.
        const double late = *number >= 0 ? *number + 0.999 : *number - 0.999;
        ASSERT_EQ(PackedDateOf(*number), Packed(year, month, day, weekday));
        ASSERT_EQ(PackedDateOf(late), Packed(year, month, day, weekday));
        const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
        weekday = weekday % 7 + 1;
        if (++day > kLengths[month - 1] + (month == 2 && leap ? 1 : 0)) {
            day = 1;
            year += month == 12 ? 1 : 0;
            month = month % 12 + 1;
        }
    }
}

// The count above numbers every real day; these are the dates it never asks about.
TEST(DateCalendar, DatesOutsideTheCalendarAndLeapDaysOffTheCenturyRuleHaveNoDayNumber) {
    const std::array<int, 3> refused[] = {{0, 1, 1},    {10000, 1, 1}, {2026, 0, 1}, {2026, 13, 1},
                                          {2026, 1, 0}, {2026, 4, 31}, {2026, 2, 29}};
    for (const auto& [y, m, d] : refused) {
        EXPECT_FALSE(DayNumberOf(U(y), U(m), U(d))) << y << "-" << m << "-" << d;
    }
    for (int century = 1; century <= 99; ++century) {
        EXPECT_EQ(DayNumberOf(U(century * 100), 2, 29).has_value(), century % 4 == 0) << century;
    }
}

// 2^-11 and 3 * 2^-11 days are exactly 42187.5 and 126562.5 milliseconds; the last fraction of
// a millisecond before midnight rounds into 1 January 1900.
TEST(DateCalendar, MillisecondRoundingBreaksTiesToEvenAndCarriesIntoTheNextDay) {
    EXPECT_EQ(ClockTimeOf(std::ldexp(1.0, -11)).Millisecond, 188);
    EXPECT_EQ(ClockTimeOf(std::ldexp(3.0, -11)).Millisecond, 562);
    const double almostMidnight = 1 + 86399999.6 / 86400000.0;
    EXPECT_EQ(PackedDateOf(almostMidnight), Packed(1900, 1, 1, 2));
    const ClockTime clock = ClockTimeOf(almostMidnight);
    EXPECT_EQ(clock.Hour + clock.Minute + clock.Second + clock.Millisecond, 0);
}

TEST(DateCalendar, ValuesBeforeYearOneOrBeyondAnyYearGiveDateZeroAndAWeekday) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const double value : {-693594.0, -693594.5, -1e9, 1e300, -1e300, nan, inf, -inf}) {
        EXPECT_EQ(PackedDateOf(value) / 10, 0) << value;
        EXPECT_TRUE(WeekdayOf(value) >= 1 && WeekdayOf(value) <= 7) << value;
    }
    EXPECT_EQ(ClockTimeOf(nan).Hour, 0);
}

// Past 9999 the year is still written while it fits sixteen bits; the calendar repeats every
// 400 years (146097 days), and so does the week.
TEST(DateCalendar, LaterYearsRepeatTheFourHundredYearCycleUpToTheLastSixteenBitYear) {
    for (const double near : {*DayNumberOf(2000, 2, 29), *DayNumberOf(2100, 3, 1)}) {
        for (const int cycles : {20, 79, 158}) {
            EXPECT_EQ(PackedDateOf(near + 146097.0 * cycles),
                      PackedDateOf(near) + 40000000L * cycles)
                << near << " " << cycles;
        }
    }
    EXPECT_EQ(PackedDateOf(23242572) / 10, 655351231);
    EXPECT_EQ(PackedDateOf(23242573) / 10, 0);
}

using Rows = std::initializer_list<std::pair<std::string, std::string>>;

// Each pattern written for one value.
void Expect(TDateTime value, Rows rows) {
    for (const auto& [pattern, expected] : rows) {
        EXPECT_EQ(ExpandDateTimePattern(pattern, value), expected) << pattern;
    }
}

class DateTimeTextTest : public DateTimeTest {
  protected:
    static void UseEnglishNames() {
        WithFormats([](LocaleFormats& f) {
            f.MonthAbbrevs[2] = "Mar";
            f.MonthNames[2] = "March";
            f.DayAbbrevs[4] = "Thu";
            f.DayNames[4] = "Thursday";
            f.AmText = "am";
            f.PmText = "pm";
        });
    }
    const TDateTime march5 = At(2026, 3, 5, 7, 8, 9);  // a Thursday
};

// No hour zero, no time at midnight; before 1899 the time of day counts away from zero, as
// the days do.
TEST_F(DateTimeTextTest, DesktopWritesTheShortDateAndTheLongTime) {
    // clang-format off
    const std::pair<TDateTime, const char*> rows[] = {
        {At(2026, 12, 6, 9, 5, 7), "2026/12/06 9:05:07"}, {-1.25, "1899/12/29 6:00:00"},
        {At(2026, 12, 6, 0, 0, 0, 400), "2026/12/06"}, {-0.25, "1899/12/30 6:00:00"},
        {At(2026, 12, 6, 0, 0, 1), "2026/12/06 0:00:01"}};
    // clang-format on
    for (const auto& [value, expected] : rows) {
        EXPECT_EQ(DateTimeText(value), expected);
    }
}

// A run of c is one c; yY is two runs of one. Minutes follow an hour letter until another
// letter or character intervenes; quoted letters do not count as another letter. Before year
// one the dates are zeros with no month name.
TEST_F(DateTimeTextTest, LetterRunsWriteNumbersNamesAndNamedPatterns) {
    UseEnglishNames();
    // clang-format off
    Expect(march5, {{"y|yy|yyy|yyyy|yyyyy", "26|26|2026|2026|2026"}, {"yY", "2626"},
                    {"m|mm|mmm|mmmm|mmmmm", "3|03|Mar|March|March"}, {"M|MM|MMM", "3|03|Mar"},
                    {"d|dd|ddd|dddd", "5|05|Thu|Thursday"}, {"ddddd", "2026/03/05"},
                    {"dddddd|ddddddd", "2026年3月5日|2026年3月5日"},
                    {"aaa aaaa AAAA", "Thu Thursday Thursday"},
                    {"h|hh|hhh|n|nn|nnn|s|ss|sss", "7|07|07|8|08|08|9|09|09"},
                    {"t|tt", "7:08|7:08:09"}, {"cc", "2026/03/05 7:08:09"}, {"h:m", "7:8"},
                    {"hh:mmm", "07:08"}, {"h 'x' mm", "7 x 08"}, {"h x mm", "7 x 03"},
                    {"h年mm", "7年03"}});
    // clang-format on
    Expect(At(5, 1, 2), {{"yy yyyy", "05 0005"}});
    Expect(-693594.5, {{"yyyy/mm/dd|mmm|mmmm", "0000/00/00||"}});
}

// The scan for a marker stops at the next hour letter.
TEST_F(DateTimeTextTest, MarkerFormsWriteTheirOwnBytesOrTheLocaleOnesAndSetTheTwelveHourClock) {
    const std::string forms = "am/pm AM/PM Am/pM a/p A/P ampm AMPM";
    // clang-format off
    Expect(At(2026, 3, 5, 13), {{"h", "13"}, {"ampm h", "午後 1"}, {"h'am/pm'", "13am/pm"},
                                {"h h am/pm", "13 1 pm"}, {"h aaaa", "13 木曜日"}});
    // clang-format on
    Expect(At(2026, 3, 5, 0, 30), {{"h:nn a/p", "12:30 a"}});
    Expect(At(2026, 3, 5, 12), {{"hh AM/PM", "12 PM"}});
    UseEnglishNames();
    Expect(At(2026, 3, 5, 9), {{forms, "am AM Am a A am am"}, {"a ab aa", "a ab aa"}});
    Expect(At(2026, 3, 5, 21), {{forms, "pm PM pM p P pm pm"}});
}

TEST_F(DateTimeTextTest, MarksQuotesAndOtherBytes) {
    WithFormats([](LocaleFormats& f) {
        f.DateMark = '-';
        f.TimeMark = '.';
    });
    // clang-format off
    Expect(march5, {{"y/m/d h:n:s", "26-3-5 7.8.9"}, {"'yyyy/mm' \"h:n\"", "yyyy/mm h:n"},
                    {"'it''s' \"a'b\"", "its a'b"}, {"yy 'open y", "26 open y"},
                    {"'年月'年# !", "年月年# !"}});
    // clang-format on
    WithFormats([](LocaleFormats& f) { f.DateMark = '\0'; });
    Expect(march5, {{"y/m", "263"}});
}

// The blank of c still stands where its nested patterns write nothing.
TEST_F(DateTimeTextTest, NamedPatternsExpandOneLevelDeepAndWriteNothingAtTheThird) {
    WithFormats([](LocaleFormats& f) {
        f.ShortDatePattern = "[yy t ddddd c]";
        f.ShortTimePattern = "h:nn";
        f.LongTimePattern = "<tt>";
    });
    Expect(march5, {{"ddddd", "[26    ]"}, {"t", "7:08"}, {"tt", "<>"}, {"c", "[26    ] <>"}});
}

// 29 February 42400 is still in the last era; only Japanese shortens the era name.
TEST_F(DateTimeTextTest, EraNameAndYearChangeOnTheFirstDayOfEachEra) {
    Expect(At(2026, 12, 6), {{"gg|g|ggg", "令和|令|令和"}, {"e|ee|eee", "8|08|8"}});
    // clang-format off
    const std::tuple<TDateTime, const char*, const char*> rows[] = {
        {At(2019, 4, 30), "gge'年'", "平成31年"}, {At(2019, 5, 1), "gge ggee", "令和1 令和01"},
        {At(1989, 1, 7), "gge", "昭和64"}, {At(1989, 1, 8), "gge", "平成1"},
        {At(1926, 12, 24), "gge", "大正15"}, {At(1926, 12, 25), "gge", "昭和1"},
        {At(1912, 7, 29), "gge", "明治45"}, {At(1912, 7, 30), "gge", "大正1"},
        {At(1868, 1, 1), "gge", "明治1"}, {At(1867, 12, 31), "[gg|e]", "[|]"},
        {-700000, "[gg|e]", "[|]"}, {At(2400, 2, 29) + 146097.0 * 100, "gge", "令和40382"}};
    // clang-format on
    for (const auto& [value, pattern, expected] : rows) {
        Expect(value, {{pattern, expected}});
    }
    UseLanguage(9);
    Expect(At(2026, 12, 6), {{"g", "令和"}});
}

// A three-byte character that does not fit at byte 255 ends the text, even where later bytes
// would fit.
TEST_F(DateTimeTextTest, OutputStopsAtTwoHundredFiftySixBytesWithoutSplittingACharacter) {
    const std::string x255(255, 'x'), h200(200, '#'), h254(254, '#');
    // clang-format off
    Expect(march5, {{"'" + std::string(300, 'x'), std::string(256, 'x')}, {"'" + x255 + "年xx'", x255},
                    {h200 + "yyyy" + std::string(60, '#'), h200 + "2026" + std::string(52, '#')},
                    {h254 + "年#", h254}});
    // clang-format on
    std::string months;
    for (int i = 0; i < 100; ++i) {
        months += "月";
    }
    WithFormats([&](LocaleFormats& f) { f.MonthNames[2] = months; });
    EXPECT_EQ(ExpandDateTimePattern("mmmm", march5), months.substr(0, 255));  // 85 characters
}

}  // namespace
}  // namespace zelk
