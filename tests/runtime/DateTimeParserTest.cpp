// Guards how text is read back into date-time values: the three date orders, two-number dates,
// the century of short years, morning and afternoon markers, the limits of the clock, marks,
// blanks, the era prefix, the word skip of double-byte systems, and the refusal of anything else.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "runtime/DateTimeParser.h"
#include "runtime/DateTimeTestSupport.h"
#include "runtime/DateTimeText.h"
#include "runtime/Errors.h"
#include "runtime/SystemLocale.h"

namespace zelk {
namespace {

class ParseDateTimeTest : public DateTimeTest {
  protected:
    static void UsePattern(std::string pattern) {
        WithFormats([&](LocaleFormats& f) { f.ShortDatePattern = pattern; });
    }
    static bool Refused(std::string_view text) {
        try {
            ParseDateTime(text);
        } catch (const EConvertError&) {
            return true;
        }
        return false;
    }
};

TEST_F(ParseDateTimeTest, DateOrderComesFromTheFirstDateLetterOfTheShortPattern) {
    const std::string text = "26/5/12 3:4:5";
    EXPECT_EQ(ParseDateTime(text), At(2026, 5, 12, 3, 4, 5));
    UsePattern("M/d/yyyy");
    EXPECT_TRUE(Refused(text));  // month 26
    EXPECT_EQ(ParseDateTime("5/12/2026"), At(2026, 5, 12));
    UsePattern("dd/MM/yyyy");
    EXPECT_EQ(ParseDateTime(text), At(2012, 5, 26, 3, 4, 5));
    UsePattern("'ee' e/m/d");  // read byte by byte: the quoted e decides
    EXPECT_EQ(ParseDateTime("2026/5/12"), At(2026, 5, 12));
    UsePattern("[/]");
    EXPECT_EQ(ParseDateTime("5/12/2026"), At(2026, 5, 12));
    UsePattern("");
    EXPECT_EQ(ParseDateTime("5/12/2026"), At(2026, 5, 12));
}

TEST_F(ParseDateTimeTest, TwoNumbersGiveThatDayInTheCurrentYear) {
    EXPECT_EQ(ParseDateTime("5/12"), At(2026, 5, 12));
    EXPECT_TRUE(Refused("5/12/"));  // a second mark asks for a third number
    EXPECT_EQ(ParseDateTime("2026/5/12/"), At(2026, 5, 12));
    EXPECT_EQ(ParseDateTime("5/12 7:30"), At(2026, 5, 12, 7, 30));
    UsePattern("dd/MM/yyyy");
    EXPECT_EQ(ParseDateTime("5/12"), At(2026, 12, 5));
    FixLocalYear(2027);
    EXPECT_EQ(ParseDateTime("5/12"), At(2027, 12, 5));
}

TEST_F(ParseDateTimeTest, YearsUpToNinetyNineTakeTheCurrentCenturyWithoutASlidingWindow) {
    EXPECT_EQ(ParseDateTime("98/1/2"), At(2098, 1, 2));
    EXPECT_EQ(ParseDateTime("0098/1/2"), At(2098, 1, 2));
    EXPECT_EQ(ParseDateTime("0/1/2"), At(2000, 1, 2));
    EXPECT_EQ(ParseDateTime("100/1/2"), At(100, 1, 2));
    EXPECT_EQ(ParseDateTime("1998/1/2"), At(1998, 1, 2));
    FixLocalYear(1950);
    EXPECT_EQ(ParseDateTime("98/1/2"), At(1998, 1, 2));
}

TEST_F(ParseDateTimeTest, MarkersStandBeforeOrAfterTheNumbersInAnyCase) {
    EXPECT_EQ(ParseDateTime("2026/1/2 午後 3:04"), At(2026, 1, 2, 15, 4));
    EXPECT_EQ(ParseDateTime("2026/1/2 午後3:04"), At(2026, 1, 2, 15, 4));
    EXPECT_EQ(ParseDateTime("2026/1/2 3:04 午前"), At(2026, 1, 2, 3, 4));
    EXPECT_EQ(ParseDateTime("2026/1/2 pm 3:04:05"), At(2026, 1, 2, 15, 4, 5));
    EXPECT_EQ(ParseDateTime("2026/1/2 3:04:05 Pm"), At(2026, 1, 2, 15, 4, 5));
    EXPECT_EQ(ParseDateTime("2026/1/2 3aM"), At(2026, 1, 2, 3));
    WithFormats([](LocaleFormats& f) {
        f.AmText = "Morning";
        f.PmText = "";
    });
    EXPECT_EQ(ParseDateTime("2026/1/2 MORNING 3"), At(2026, 1, 2, 3));
    EXPECT_EQ(ParseDateTime("2026/1/2 3 PM"), At(2026, 1, 2, 15));  // an empty marker never matches
}

// With a marker, twelve is midnight or noon and hours outside one to twelve are refused.
TEST_F(ParseDateTimeTest, ClockFieldsBeyondTheirRangeAreRefused) {
    EXPECT_EQ(ParseDateTime("2026/1/2 23:59:59"), At(2026, 1, 2, 23, 59, 59));
    EXPECT_EQ(ParseDateTime("2026/1/2 13"), At(2026, 1, 2, 13));
    EXPECT_EQ(ParseDateTime("2026/1/2 12:00 PM"), At(2026, 1, 2, 12));
    EXPECT_EQ(ParseDateTime("2026/1/2 午後12:00"), At(2026, 1, 2, 12));
    EXPECT_EQ(ParseDateTime("2026/1/2 12:00 AM"), At(2026, 1, 2));
    EXPECT_EQ(ParseDateTime("2026/1/2 午前12:30"), At(2026, 1, 2, 0, 30));
    for (const char* text : {"2026/1/2 24:00", "2026/1/2 12:60", "2026/1/2 12:00:60",
                             "2026/1/2 12:", "2026/1/2 12:00:", "2026/1/2 x", "2026/1/2 :30",
                             "2026/1/2 13:00 PM", "2026/1/2 午前13:00", "2026/1/2 0:30 AM"}) {
        EXPECT_TRUE(Refused(text)) << text;
    }
}

TEST_F(ParseDateTimeTest, DatesMustBeCompleteAndValidAndARefusalNamesTheWholeText) {
    // In 20261/1/2 a fifth digit is left where the mark must be.
    for (const char* text : {"", "   ", "2026", "2026/", "2026/1/", "2026/2/29", "2026/13/1",
                             "2026/1/0", "20261/1/2", "-2026/1/2"}) {
        EXPECT_TRUE(Refused(text)) << text;
    }
    EXPECT_EQ(ParseDateTime("2024/2/29"), At(2024, 2, 29));
    EXPECT_EQ(ParseDateTime("1899/12/29 6:00"), -1.25);
    try {
        ParseDateTime("2026/1/2 25:00 後");
        FAIL() << "no refusal";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'2026/1/2 25:00 後' は日付または時刻ではありません");
    }
}

TEST_F(ParseDateTimeTest, MarksOtherThanTheLocaleOnesEndTheirPart) {
    WithFormats([](LocaleFormats& f) { f.DateMark = '-'; });
    EXPECT_TRUE(Refused("2026/1/2"));
    EXPECT_EQ(ParseDateTime("2026-1-2 3:04"), At(2026, 1, 2, 3, 4));
    WithFormats([](LocaleFormats& f) {
        f.DateMark = '/';
        f.TimeMark = '.';
    });
    EXPECT_EQ(ParseDateTime("2026/1/2 3:04:05"), At(2026, 1, 2, 3));
    EXPECT_EQ(ParseDateTime("2026/1/2 3.04.05"), At(2026, 1, 2, 3, 4, 5));
}

TEST_F(ParseDateTimeTest, BlanksBeforeNumbersAndMarksAndTextAfterATimeCountForNothing) {
    const TDateTime v = At(2026, 12, 6, 9, 5, 7);
    EXPECT_EQ(ParseDateTime("2026/12/ 6  9: 5: 7"), v);
    EXPECT_EQ(ParseDateTime("  2026 / 12 / 06   9 : 05 : 07  "), v);
    EXPECT_EQ(ParseDateTime("2026/12/06 9:05:07 and more"), v);
    EXPECT_EQ(ParseDateTime("2026/12/06 9:05:07:08"), v);
    EXPECT_EQ(ParseDateTime("2026/12/06   "), At(2026, 12, 6));
    EXPECT_TRUE(Refused("2026/12/06\t9:05"));  // only the blank is a blank
}

TEST_F(ParseDateTimeTest, LowerCaseEraLetterFirstLetsAnEraNameStandBeforeTheNumbers) {
    UsePattern("gee/mm/dd");
    EXPECT_EQ(ParseDateTime("令和08/12/06"), At(2008, 12, 6));
    EXPECT_EQ(ParseDateTime("R 8/12/06 9:00"), At(2008, 12, 6, 9));
    UsePattern("Gee/mm/dd");
    EXPECT_TRUE(Refused("令和08/12/06"));
}

TEST_F(ParseDateTimeTest, WeekdayPatternsSkipWordsAfterTheDateUpToAMarker) {
    UsePattern("yyyy/MM/dd ddd");
    EXPECT_EQ(ParseDateTime("2026/12/06 日 9:05"), At(2026, 12, 6));
    EXPECT_EQ(ParseDateTime("2026/12/06 日曜日 x 午後 3:00"), At(2026, 12, 6, 15));
    EXPECT_EQ(ParseDateTime("2026/12/06 日 午前 3:00"), At(2026, 12, 6, 3));
    WithFormats([](LocaleFormats& f) { f.ShortTimePattern = "0h:mm"; });
    EXPECT_EQ(ParseDateTime("2026/12/06 日 9:05"), At(2026, 12, 6, 9, 5));
    WithFormats([](LocaleFormats& f) {
        f.ShortTimePattern = "h:mm";
        f.AmText.clear();
    });
    // An empty marker stops the skip after one word.
    EXPECT_EQ(ParseDateTime("2026/12/06 日 9:05"), At(2026, 12, 6, 9, 5));
    SystemLocale single = CurrentSystemLocale();
    single.DoubleByteSystem = false;
    InstallSystemLocale(single);
    EXPECT_TRUE(Refused("2026/12/06 日 9:05"));
}

TEST_F(ParseDateTimeTest, WrittenValuesReadBackToTheSecond) {
    std::mt19937_64 random(20261207);
    std::uniform_int_distribution<int> year(100, 9999);
    std::uniform_int_distribution<int> month(1, 12);
    std::uniform_int_distribution<int> second(0, 86399);
    for (int i = 0; i < 20000; ++i) {
        const int y = year(random);
        const int m = month(random);
        const int d = std::uniform_int_distribution<int>(
            1, DaysInMonth(static_cast<std::uint16_t>(y), static_cast<std::uint16_t>(m)))(random);
        const int s = i % 10 == 0 ? 0 : second(random);
        const TDateTime v = At(y, m, d, s / 3600, s / 60 % 60, s % 60);
        ASSERT_EQ(ParseDateTime(DateTimeText(v)), v) << DateTimeText(v);
    }
    // Milliseconds are not written, so a value reads back to its second.
    EXPECT_EQ(ParseDateTime(DateTimeText(At(2026, 12, 6, 9, 5, 7, 400))), At(2026, 12, 6, 9, 5, 7));
    // Years before 100 are written with four digits but read in the current century.
    EXPECT_EQ(ParseDateTime(DateTimeText(At(26, 1, 2))), At(2026, 1, 2));
}

}  // namespace
}  // namespace zelk
