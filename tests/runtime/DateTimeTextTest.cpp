// Guards how date-time values are written: the Japanese desktop's date and time, every element
// of the pattern language, the 12-hour clock and the minutes rule, quotes, nesting, era texts
// and the 256-byte cut, which never splits a character.

#include <gtest/gtest.h>

#include <string>

#include "runtime/DateTimeTestSupport.h"
#include "runtime/DateTimeText.h"

namespace zelk {
namespace {

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
TEST_F(DateTimeTextTest, DesktopWritesShortDateAndLongTimeAndTwelveHourLocalesTheMarkerAfter) {
    // clang-format off
    const std::pair<TDateTime, const char*> rows[] = {
        {At(2026, 12, 6, 9, 5, 7), "2026/12/06 9:05:07"}, {-1.25, "1899/12/29 6:00:00"},
        {At(2026, 12, 6, 0, 0, 0, 400), "2026/12/06"}, {-0.25, "1899/12/30 6:00:00"},
        {At(2026, 12, 6, 0, 0, 1), "2026/12/06 0:00:01"}};
    // clang-format on
    for (const auto& [value, expected] : rows) {
        EXPECT_EQ(DateTimeText(value), expected);
    }
    Install(LOCALE_ITIME, "0");
    LoadLocaleFormats();
    EXPECT_EQ(DateTimeText(At(2026, 12, 6, 0, 30)), "2026/12/06 12:30:00 午前");
    EXPECT_EQ(DateTimeText(At(2026, 12, 6, 13, 5)), "2026/12/06 1:05:00 午後");
    EXPECT_EQ(DateTimeText(At(2026, 12, 6, 12, 0, 1)), "2026/12/06 12:00:01 午後");
}

// A run of c is one c; yY is two runs of one.
TEST_F(DateTimeTextTest, LetterRunsWriteNumbersNamesAndNamedPatterns) {
    UseEnglishNames();
    // clang-format off
    Expect(march5, {{"y|yy|yyy|yyyy|yyyyy", "26|26|2026|2026|2026"}, {"yY", "2626"},
                    {"m|mm|mmm|mmmm|mmmmm", "3|03|Mar|March|March"}, {"M|MM|MMM", "3|03|Mar"},
                    {"d|dd|ddd|dddd", "5|05|Thu|Thursday"}, {"ddddd", "2026/03/05"},
                    {"dddddd|ddddddd", "2026年3月5日|2026年3月5日"},
                    {"aaa aaaa AAAA", "Thu Thursday Thursday"},
                    {"h|hh|hhh|n|nn|nnn|s|ss|sss", "7|07|07|8|08|08|9|09|09"},
                    {"t|tt", "7:08|7:08:09"}, {"cc", "2026/03/05 7:08:09"}});
    // clang-format on
    Expect(At(5, 1, 2), {{"yy yyyy", "05 0005"}});
}

// Quoted letters do not count as another letter.
TEST_F(DateTimeTextTest, MinutesFollowAnHourLetterUntilAnotherLetterOrCharacterIntervenes) {
    // clang-format off
    Expect(march5, {{"h:m", "7:8"}, {"hh:mmm", "07:08"}, {"h 'x' mm", "7 x 08"},
                    {"h x mm", "7 x 03"}, {"h年mm", "7年03"}});
    // clang-format on
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
    const std::string x255(255, 'x');
    Expect(march5,
           {{"'" + std::string(300, 'x'), std::string(256, 'x')}, {"'" + x255 + "年xx'", x255}});
    EXPECT_EQ(ExpandDateTimePattern(std::string(200, '#') + "yyyy" + std::string(60, '#'), march5),
              std::string(200, '#') + "2026" + std::string(52, '#'));
    EXPECT_EQ(ExpandDateTimePattern(std::string(254, '#') + "年#", march5), std::string(254, '#'));
    std::string months;
    for (int i = 0; i < 100; ++i) {
        months += "月";
    }
    WithFormats([&](LocaleFormats& f) { f.MonthNames[2] = months; });
    EXPECT_EQ(ExpandDateTimePattern("mmmm", march5), months.substr(0, 255));  // 85 characters
}

// The week goes on before year one.
TEST_F(DateTimeTextTest, DatesBeforeYearOneWriteZerosAndNoMonthName) {
    Expect(-693594.5, {{"yyyy/mm/dd|mmm|mmmm", "0000/00/00||"}});
    EXPECT_FALSE(ExpandDateTimePattern("dddd", -693594.5).empty());
}

}  // namespace
}  // namespace zelk
