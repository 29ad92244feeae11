// Guards how date-time values are written: the Japanese desktop's date and time, every element
// of the pattern language, the 12-hour clock and the minutes rule, quotes, nesting, era texts
// and the 256-byte cut, which never splits a character.

#include <gtest/gtest.h>

#include <string>

#include "platform/Utf8Text.h"
#include "runtime/DateTimeTestSupport.h"
#include "runtime/DateTimeText.h"
#include "runtime/SystemLocale.h"

namespace zelk {
namespace {

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
};

std::string X(std::string_view pattern, TDateTime value) {
    return ExpandDateTimePattern(pattern, value);
}

TEST_F(DateTimeTextTest, JapaneseDesktopWritesShortDateAndLongTimeWithoutHourZero) {
    EXPECT_EQ(DateTimeText(At(2026, 12, 6, 9, 5, 7)), "2026/12/06 9:05:07");
    EXPECT_EQ(DateTimeText(At(2026, 12, 6)), "2026/12/06");
    EXPECT_EQ(DateTimeText(At(2026, 12, 6, 0, 0, 0, 400)), "2026/12/06");
    EXPECT_EQ(DateTimeText(At(2026, 12, 6, 0, 0, 1)), "2026/12/06 0:00:01");
    EXPECT_EQ(DateTimeText(0), "1899/12/30");
    // Before 1899 the time of day counts away from zero, as the days do.
    EXPECT_EQ(DateTimeText(-1.25), "1899/12/29 6:00:00");
    EXPECT_EQ(DateTimeText(-0.25), "1899/12/30 6:00:00");
}

TEST_F(DateTimeTextTest, TwelveHourLocaleWritesTheMarkerAfterTheTime) {
    Install(LOCALE_ITIME, "0");
    LoadLocaleFormats();
    EXPECT_EQ(DateTimeText(At(2026, 12, 6, 0, 30)), "2026/12/06 12:30:00 午前");
    EXPECT_EQ(DateTimeText(At(2026, 12, 6, 13, 5)), "2026/12/06 1:05:00 午後");
    EXPECT_EQ(DateTimeText(At(2026, 12, 6, 12, 0, 1)), "2026/12/06 12:00:01 午後");
}

TEST_F(DateTimeTextTest, YearRunsWriteTwoDigitsUpToTwoLettersAndTheFullYearBeyond) {
    const TDateTime v = At(2026, 3, 5);
    EXPECT_EQ(X("y|yy|yyy|yyyy|yyyyy", v), "26|26|2026|2026|2026");
    EXPECT_EQ(X("yY", v), "2626");  // two runs of one
    EXPECT_EQ(X("yy yyyy", At(5, 1, 2)), "05 0005");
}

TEST_F(DateTimeTextTest, MonthAndDayRunsWriteNumbersNamesAndNamedPatterns) {
    UseEnglishNames();
    const TDateTime v = At(2026, 3, 5);  // a Thursday
    EXPECT_EQ(X("m|mm|mmm|mmmm|mmmmm", v), "3|03|Mar|March|March");
    EXPECT_EQ(X("M|MM|MMM", v), "3|03|Mar");
    EXPECT_EQ(X("d|dd|ddd|dddd", v), "5|05|Thu|Thursday");
    EXPECT_EQ(X("ddddd", v), "2026/03/05");
    EXPECT_EQ(X("dddddd|ddddddd", v), "2026年3月5日|2026年3月5日");
    EXPECT_EQ(X("aaa aaaa AAAA", v), "Thu Thursday Thursday");
}

TEST_F(DateTimeTextTest, ClockRunsWriteOneOrTwoDigits) {
    const TDateTime v = At(2026, 3, 5, 7, 8, 9);
    EXPECT_EQ(X("h|hh|hhh|n|nn|nnn|s|ss|sss", v), "7|07|07|8|08|08|9|09|09");
    EXPECT_EQ(X("t|tt", v), "7:08|7:08:09");
    EXPECT_EQ(X("cc", v), "2026/03/05 7:08:09");  // a run of c is one c
}

TEST_F(DateTimeTextTest, MinutesFollowAnHourLetterUntilAnotherLetterOrCharacterIntervenes) {
    const TDateTime v = At(2026, 3, 5, 7, 8, 9);
    EXPECT_EQ(X("h:m", v), "7:8");
    EXPECT_EQ(X("hh:mmm", v), "07:08");
    EXPECT_EQ(X("h 'x' mm", v), "7 x 08");  // quoted letters do not count
    EXPECT_EQ(X("h x mm", v), "7 x 03");
    EXPECT_EQ(X("h年mm", v), "7年03");
}

TEST_F(DateTimeTextTest, MorningAndAfternoonFormsWriteTheirOwnBytesOrTheLocaleMarkers) {
    UseEnglishNames();
    const TDateTime morning = At(2026, 3, 5, 9);
    const TDateTime evening = At(2026, 3, 5, 21);
    EXPECT_EQ(X("am/pm AM/PM Am/pM a/p A/P ampm AMPM", morning), "am AM Am a A am am");
    EXPECT_EQ(X("am/pm AM/PM Am/pM a/p A/P ampm AMPM", evening), "pm PM pM p P pm pm");
    EXPECT_EQ(X("a ab aa", morning), "a ab aa");
}

TEST_F(DateTimeTextTest, TwelveHourModeComesFromAnEarlierFormOrTheScanAfterTheHour) {
    EXPECT_EQ(X("h", At(2026, 3, 5, 13)), "13");
    EXPECT_EQ(X("ampm h", At(2026, 3, 5, 13)), "午後 1");
    EXPECT_EQ(X("h:nn a/p", At(2026, 3, 5, 0, 30)), "12:30 a");
    EXPECT_EQ(X("hh AM/PM", At(2026, 3, 5, 12)), "12 PM");
    EXPECT_EQ(X("h'am/pm'", At(2026, 3, 5, 13)), "13am/pm");
    EXPECT_EQ(X("h h am/pm", At(2026, 3, 5, 13)), "13 1 pm");  // the scan stops at the next hour
    EXPECT_EQ(X("h aaaa", At(2026, 3, 5, 13)), "13 木曜日");
}

TEST_F(DateTimeTextTest, MarksQuotesAndOtherBytes) {
    WithFormats([](LocaleFormats& f) {
        f.DateMark = '-';
        f.TimeMark = '.';
    });
    const TDateTime v = At(2026, 3, 5, 7, 8, 9);
    EXPECT_EQ(X("y/m/d h:n:s", v), "26-3-5 7.8.9");
    EXPECT_EQ(X("'yyyy/mm' \"h:n\"", v), "yyyy/mm h:n");
    EXPECT_EQ(X("'it''s' \"a'b\"", v), "its a'b");
    EXPECT_EQ(X("yy 'open y", v), "26 open y");
    EXPECT_EQ(X("'年月'年# !", v), "年月年# !");
    WithFormats([](LocaleFormats& f) { f.DateMark = '\0'; });
    EXPECT_EQ(X("y/m", v), "263");
}

TEST_F(DateTimeTextTest, NamedPatternsExpandOneLevelDeepAndWriteNothingAtTheThird) {
    WithFormats([](LocaleFormats& f) {
        f.ShortDatePattern = "[yy t ddddd c]";
        f.ShortTimePattern = "h:nn";
        f.LongTimePattern = "<tt>";
    });
    const TDateTime v = At(2026, 3, 5, 7, 8, 9);
    EXPECT_EQ(X("ddddd", v), "[26    ]");  // the blank of c still stands
    EXPECT_EQ(X("t", v), "7:08");
    EXPECT_EQ(X("tt", v), "<>");
    EXPECT_EQ(X("c", v), "[26    ] <>");
}

TEST_F(DateTimeTextTest, EraNameAndYearComeFromTheJapaneseCalendar) {
    const TDateTime v = At(2026, 12, 6);
    EXPECT_EQ(X("gg|g|ggg", v), "令和|令|令和");
    EXPECT_EQ(X("e|ee|eee", v), "8|08|8");
    EXPECT_EQ(X("gge'年'", At(2019, 4, 30)), "平成31年");
    EXPECT_EQ(X("gge ggee", At(2019, 5, 1)), "令和1 令和01");
    EXPECT_EQ(X("gge", At(1989, 1, 7)), "昭和64");
    EXPECT_EQ(X("gge", At(1989, 1, 8)), "平成1");
    EXPECT_EQ(X("gge", At(1926, 12, 24)), "大正15");
    EXPECT_EQ(X("gge", At(1926, 12, 25)), "昭和1");
    EXPECT_EQ(X("gge", At(1912, 7, 29)), "明治45");
    EXPECT_EQ(X("gge", At(1912, 7, 30)), "大正1");
    EXPECT_EQ(X("gge", At(1868, 1, 1)), "明治1");
    EXPECT_EQ(X("[gg|e]", At(1867, 12, 31)), "[|]");
    EXPECT_EQ(X("[gg|e]", -700000), "[|]");
    EXPECT_EQ(X("gge", At(2400, 2, 29) + 146097.0 * 100), "令和40382");  // 29 February 42400
    UseLanguage(9);
    EXPECT_EQ(X("g", v), "令和");  // only Japanese shortens the name
}

TEST_F(DateTimeTextTest, OutputStopsAtTwoHundredFiftySixBytesWithoutSplittingACharacter) {
    const TDateTime v = At(2026, 3, 5);
    EXPECT_EQ(X("'" + std::string(300, 'x'), v), std::string(256, 'x'));
    EXPECT_EQ(X(std::string(200, '#') + "yyyy" + std::string(60, '#'), v),
              std::string(200, '#') + "2026" + std::string(52, '#'));
    // 255 bytes, then a three-byte character that does not fit, then bytes that would.
    EXPECT_EQ(X("'" + std::string(255, 'x') + "年xx'", v), std::string(255, 'x'));
    EXPECT_EQ(X(std::string(254, '#') + "年#", v), std::string(254, '#'));
    WithFormats([](LocaleFormats& f) {
        f.MonthNames[2].clear();
        for (int i = 0; i < 100; ++i) {
            f.MonthNames[2] += "月";
        }
    });
    const std::string names = X("mmmm", v);
    EXPECT_EQ(names.size(), 255u);  // 85 whole characters
    for (std::size_t i = 0; i < names.size(); i += 3) {
        EXPECT_EQ(CharLengthAt(names, i), 3u);
    }
}

TEST_F(DateTimeTextTest, DatesBeforeYearOneWriteZerosAndNoMonthName) {
    const TDateTime v = -693594.5;
    EXPECT_EQ(X("yyyy/mm/dd|mmm|mmmm", v), "0000/00/00||");
    EXPECT_EQ(X("dddd", v).empty(), false);  // the week goes on
}

}  // namespace
}  // namespace zelk
