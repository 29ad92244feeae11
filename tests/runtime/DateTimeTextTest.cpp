// Guards the calendar of the date-time value: day numbers and calendar dates agree with a plain
// day-by-day count for every day of years 1 to 9999, leap years follow the Gregorian rule, the
// time of day is rounded to milliseconds with ties to even, and values before 1899 or before
// year 1 still give sound fields. And how values are written: the Japanese desktop's date and
// time, every element of the pattern language, the 12-hour clock and the minutes rule, quotes,
// nesting, era texts and the 256-byte cut, which never splits a character. And how text is read
// back into date-time values: the three date orders, two-number dates, the century of short
// years, morning and afternoon markers, the limits of the clock, marks, blanks, the era prefix,
// the word skip of double-byte systems, and the refusal of anything else. Random texts, patterns
// and locale settings give values or EConvertError only, and no written text exceeds 256 bytes.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "runtime/DateCalendar.h"
#include "runtime/DateTimeParser.h"
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

constexpr TDateTime kRefused = -1e9;  // no text reads as this

class ParseDateTimeTest : public DateTimeTest {
  protected:
    static void UsePattern(std::string pattern) {
        WithFormats([&](LocaleFormats& f) { f.ShortDatePattern = pattern; });
    }
    static void Expect(std::initializer_list<std::pair<std::string, TDateTime>> cases) {
        for (const auto& [text, value] : cases) {
            try {
                EXPECT_EQ(ParseDateTime(text), value) << text;
            } catch (const EConvertError&) {
                EXPECT_EQ(kRefused, value) << text;
            }
        }
    }
};

// Read byte by byte: a quoted e decides; no date letter at all gives month first.
TEST_F(ParseDateTimeTest, DateOrderComesFromTheFirstDateLetterOfTheShortPattern) {
    Expect({{"26/5/12 3:4:5", At(2026, 5, 12, 3, 4, 5)}});
    UsePattern("M/d/yyyy");
    Expect({{"26/5/12 3:4:5", kRefused}, {"5/12/2026", At(2026, 5, 12)}});  // month 26
    UsePattern("dd/MM/yyyy");
    Expect({{"26/5/12 3:4:5", At(2012, 5, 26, 3, 4, 5)}});
    for (const char* pattern : {"'ee' e/m/d", "[/]", ""}) {
        UsePattern(pattern);
        Expect({{pattern[0] == '\'' ? "2026/5/12" : "5/12/2026", At(2026, 5, 12)}});
    }
}

// A second mark asks for a third number; years up to 99 take the clock's century, no window.
TEST_F(ParseDateTimeTest, TwoNumbersGiveThatDayInTheCurrentYearAndShortYearsItsCentury) {
    // clang-format off
    Expect({{"5/12", At(2026, 5, 12)}, {"5/12/", kRefused}, {"2026/5/12/", At(2026, 5, 12)},
            {"5/12 7:30", At(2026, 5, 12, 7, 30)}, {"98/1/2", At(2098, 1, 2)},
            {"0098/1/2", At(2098, 1, 2)}, {"0/1/2", At(2000, 1, 2)}, {"100/1/2", At(100, 1, 2)},
            {"1998/1/2", At(1998, 1, 2)}});
    // clang-format on
    UsePattern("dd/MM/yyyy");
    Expect({{"5/12", At(2026, 12, 5)}});
    FixLocalYear(2027);
    Expect({{"5/12", At(2027, 12, 5)}});
    FixLocalYear(1950);
    Expect({{"2/1/98", At(1998, 1, 2)}});
}

// With a marker, twelve is midnight or noon and hours outside one to twelve are refused; an
// empty marker never matches.
TEST_F(ParseDateTimeTest, MarkersStandBeforeOrAfterTheNumbersAndClockFieldsKeepTheirRange) {
    // clang-format off
    const std::tuple<const char*, int, int, int> times[] = {
        {"午後 3:04", 15, 4, 0}, {"午後3:04", 15, 4, 0}, {"3:04 午前", 3, 4, 0},
        {"pm 3:04:05", 15, 4, 5}, {"3:04:05 Pm", 15, 4, 5}, {"3aM", 3, 0, 0}, {"13", 13, 0, 0},
        {"23:59:59", 23, 59, 59}, {"12:00 PM", 12, 0, 0}, {"午後12:00", 12, 0, 0},
        {"12:00 AM", 0, 0, 0}, {"午前12:30", 0, 30, 0}};
    // clang-format on
    for (const auto& [time, hour, minute, second] : times) {
        Expect({{"2026/1/2 " + std::string(time), At(2026, 1, 2, hour, minute, second)}});
    }
    for (const char* time : {"24:00", "12:60", "12:00:60", "12:", "12:00:", "x", ":30", "13:00 PM",
                             "午前13:00", "0:30 AM"}) {
        Expect({{"2026/1/2 " + std::string(time), kRefused}});
    }
    WithFormats([](LocaleFormats& f) {
        f.AmText = "Morning";
        f.PmText = "";
    });
    Expect({{"2026/1/2 MORNING 3", At(2026, 1, 2, 3)}, {"2026/1/2 3 PM", At(2026, 1, 2, 15)}});
}

// In 20261/1/2 a fifth digit is left where the mark must be.
TEST_F(ParseDateTimeTest, DatesMustBeCompleteAndValidAndARefusalNamesTheWholeText) {
    // clang-format off
    Expect({{"", kRefused}, {"   ", kRefused}, {"2026", kRefused}, {"2026/", kRefused},
            {"2026/1/", kRefused}, {"2026/2/29", kRefused}, {"2026/13/1", kRefused},
            {"2026/1/0", kRefused}, {"20261/1/2", kRefused}, {"-2026/1/2", kRefused},
            {"2024/2/29", At(2024, 2, 29)}, {"1899/12/29 6:00", -1.25},
            {"9999/12/31 23:59:59", At(9999, 12, 31, 23, 59, 59)}});
    // clang-format on
    try {
        ParseDateTime("2026/1/2 25:00 後");
        FAIL() << "no refusal";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'2026/1/2 25:00 後' は日付または時刻ではありません");
    }
}

// Only the blank is a blank; text after a complete time counts for nothing.
TEST_F(ParseDateTimeTest, MarksOtherThanTheLocaleOnesEndTheirPartAndBlanksCountForNothing) {
    const TDateTime v = At(2026, 12, 6, 9, 5, 7);
    // clang-format off
    Expect({{"2026/12/ 6  9: 5: 7", v}, {"  2026 / 12 / 06   9 : 05 : 07  ", v},
            {"2026/12/06 9:05:07 and more", v}, {"2026/12/06 9:05:07:08", v},
            {"2026/12/06   ", At(2026, 12, 6)}, {"2026/12/06\t9:05", kRefused}});
    // clang-format on
    WithFormats([](LocaleFormats& f) { f.DateMark = '-'; });
    Expect({{"2026/1/2", kRefused}, {"2026-1-2 3:04", At(2026, 1, 2, 3, 4)}});
    WithFormats([](LocaleFormats& f) {
        f.DateMark = '/';
        f.TimeMark = '.';
    });
    Expect(
        {{"2026/1/2 3:04:05", At(2026, 1, 2, 3)}, {"2026/1/2 3.04.05", At(2026, 1, 2, 3, 4, 5)}});
}

TEST_F(ParseDateTimeTest, LowerCaseEraLetterFirstLetsAnEraNameStandBeforeTheNumbers) {
    UsePattern("gee/mm/dd");
    Expect({{"令和08/12/06", At(2008, 12, 6)}, {"R 8/12/06 9:00", At(2008, 12, 6, 9)}});
    UsePattern("Gee/mm/dd");
    Expect({{"令和08/12/06", kRefused}});
}

// An empty marker stops the skip after one word; single-byte systems skip nothing.
TEST_F(ParseDateTimeTest, WeekdayPatternsSkipWordsAfterTheDateUpToAMarker) {
    UsePattern("yyyy/MM/dd ddd");
    Expect({{"2026/12/06 日 9:05", At(2026, 12, 6)},
            {"2026/12/06 日曜日 x 午後 3:00", At(2026, 12, 6, 15)},
            {"2026/12/06 日 午前 3:00", At(2026, 12, 6, 3)}});
    WithFormats([](LocaleFormats& f) { f.ShortTimePattern = "0h:mm"; });
    Expect({{"2026/12/06 日 9:05", At(2026, 12, 6, 9, 5)}});
    WithFormats([](LocaleFormats& f) {
        f.ShortTimePattern = "h:mm";
        f.AmText.clear();
    });
    Expect({{"2026/12/06 日 9:05", At(2026, 12, 6, 9, 5)}});
    LocaleService::Instance().InstallSystemMetric(SM_DBCSENABLED, 0);  // a single-byte system
    LoadSystemLocale();
    Expect({{"2026/12/06 日 9:05", kRefused}});
}

// Random byte strings of pieces the reader and the pattern language react to: digits, marks,
// pattern letter runs, whole and broken UTF-8 and stray bytes.
class RandomText {
  public:
    std::string Next(int maxPieces) {
        static constexpr std::string_view kPieces[] = {
            "0",  "1",  "2",    "9",    "12", "2026",  "99999",    "/",
            ":",  " ",  "  ",   "'",    "\"", "am/pm", "a/p",      "ampm",
            "AM", "pm", "午前", "午後", "年", "令和",  "\xE5\x8D", "\xF4\x90\x80\x80"};
        static constexpr std::string_view kLetters = "yYmMdDhHnNsStTcCaAgGeEzx";
        std::string text;
        for (int pieces = Below(maxPieces + 1); pieces > 0; --pieces) {
            const int kind = Below(4);
            if (kind == 0) {
                text += kPieces[Below(std::size(kPieces))];
            } else if (kind == 1) {
                text.append(1 + Below(7), kLetters[Below(kLetters.size())]);
            } else {
                text += static_cast<char>(kind == 2 ? Below(256) : '0' + Below(10));
            }
        }
        return text;
    }
    // Now and then a value off the calendar.
    TDateTime Value() {
        static constexpr double kOdd[] = {-693594.5, 2958465.99999999, 1e300, -1e15, NAN, INFINITY};
        return Below(8) == 0 ? kOdd[Below(std::size(kOdd))]
                             : std::uniform_real_distribution<double>(-700000, 3000000)(random_);
    }
    int Below(std::size_t n) {
        return static_cast<int>(std::uniform_int_distribution<std::size_t>(0, n - 1)(random_));
    }

  private:
    std::mt19937_64 random_{0x5EED0001};
};

// Any exception other than EConvertError fails the test through gtest. The first round runs on
// the desktop's own settings.
TEST_F(ParseDateTimeTest, RandomTextsPatternsAndLocaleSettingsGiveValuesOrConversionErrorsOnly) {
    RandomText random;
    for (int round = 0; round < 300; ++round) {
        for (int i = 0; i < (round == 0 ? 150000 : 500); ++i) {
            const std::string text = random.Next(12);
            try {
                ASSERT_TRUE(std::isfinite(ParseDateTime(text))) << text;
            } catch (const EConvertError&) {
            }
            ASSERT_LE(ExpandDateTimePattern(random.Next(12), random.Value()).size(), 256u);
        }
        WithFormats([&](LocaleFormats& f) {
            f.ShortDatePattern = random.Next(8);
            f.LongDatePattern = random.Next(8);
            f.ShortTimePattern = random.Next(6);
            f.LongTimePattern = random.Next(6);
            f.AmText = random.Next(2);
            f.PmText = random.Next(2);
            f.DateMark = static_cast<char>(random.Below(256));
            f.TimeMark = random.Below(2) == 0 ? ':' : static_cast<char>(random.Below(256));
            f.MonthNames[static_cast<std::size_t>(random.Below(12))] = random.Next(40);
        });
    }
}

}  // namespace
}  // namespace zelk
