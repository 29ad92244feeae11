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

constexpr TDateTime kRefused = -1e9;  // no text reads as this

class ParseDateTimeTest : public DateTimeTest {
  protected:
    static void UsePattern(std::string pattern) {
        WithFormats([&](LocaleFormats& f) { f.ShortDatePattern = pattern; });
    }
    static TDateTime Read(std::string_view text) {
        try {
            return ParseDateTime(text);
        } catch (const EConvertError&) {
            return kRefused;
        }
    }
    static void Expect(std::initializer_list<std::pair<const char*, TDateTime>> cases) {
        for (const auto& [text, value] : cases) {
            EXPECT_EQ(Read(text), value) << text;
        }
    }
    static void ExpectRefused(std::initializer_list<const char*> texts) {
        for (const char* text : texts) {
            EXPECT_EQ(Read(text), kRefused) << text;
        }
    }
};

TEST_F(ParseDateTimeTest, DateOrderComesFromTheFirstDateLetterOfTheShortPattern) {
    Expect({{"26/5/12 3:4:5", At(2026, 5, 12, 3, 4, 5)}});
    UsePattern("M/d/yyyy");
    Expect({{"26/5/12 3:4:5", kRefused}, {"5/12/2026", At(2026, 5, 12)}});  // month 26
    UsePattern("dd/MM/yyyy");
    Expect({{"26/5/12 3:4:5", At(2012, 5, 26, 3, 4, 5)}});
    // Read byte by byte: the quoted e decides; no date letter at all gives month first.
    for (const char* pattern : {"'ee' e/m/d", "[/]", ""}) {
        UsePattern(pattern);
        Expect({{pattern[0] == '\'' ? "2026/5/12" : "5/12/2026", At(2026, 5, 12)}});
    }
}

// A second mark asks for a third number; years up to 99 take the clock's century, no window.
TEST_F(ParseDateTimeTest, TwoNumbersGiveThatDayInTheCurrentYearAndShortYearsItsCentury) {
    Expect({{"5/12", At(2026, 5, 12)},
            {"5/12/", kRefused},
            {"2026/5/12/", At(2026, 5, 12)},
            {"5/12 7:30", At(2026, 5, 12, 7, 30)},
            {"98/1/2", At(2098, 1, 2)},
            {"0098/1/2", At(2098, 1, 2)},
            {"0/1/2", At(2000, 1, 2)},
            {"100/1/2", At(100, 1, 2)},
            {"1998/1/2", At(1998, 1, 2)}});
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
    Expect({{"2026/1/2 午後 3:04", At(2026, 1, 2, 15, 4)},
            {"2026/1/2 午後3:04", At(2026, 1, 2, 15, 4)},
            {"2026/1/2 3:04 午前", At(2026, 1, 2, 3, 4)},
            {"2026/1/2 pm 3:04:05", At(2026, 1, 2, 15, 4, 5)},
            {"2026/1/2 3:04:05 Pm", At(2026, 1, 2, 15, 4, 5)},
            {"2026/1/2 3aM", At(2026, 1, 2, 3)},
            {"2026/1/2 23:59:59", At(2026, 1, 2, 23, 59, 59)},
            {"2026/1/2 13", At(2026, 1, 2, 13)},
            {"2026/1/2 12:00 PM", At(2026, 1, 2, 12)},
            {"2026/1/2 午後12:00", At(2026, 1, 2, 12)},
            {"2026/1/2 12:00 AM", At(2026, 1, 2)},
            {"2026/1/2 午前12:30", At(2026, 1, 2, 0, 30)}});
    ExpectRefused({"2026/1/2 24:00", "2026/1/2 12:60", "2026/1/2 12:00:60",
                   "2026/1/2 12:", "2026/1/2 12:00:", "2026/1/2 x", "2026/1/2 :30",
                   "2026/1/2 13:00 PM", "2026/1/2 午前13:00", "2026/1/2 0:30 AM"});
    WithFormats([](LocaleFormats& f) {
        f.AmText = "Morning";
        f.PmText = "";
    });
    Expect({{"2026/1/2 MORNING 3", At(2026, 1, 2, 3)}, {"2026/1/2 3 PM", At(2026, 1, 2, 15)}});
}

TEST_F(ParseDateTimeTest, DatesMustBeCompleteAndValidAndARefusalNamesTheWholeText) {
    // In 20261/1/2 a fifth digit is left where the mark must be.
    ExpectRefused({"", "   ", "2026", "2026/", "2026/1/", "2026/2/29", "2026/13/1", "2026/1/0",
                   "20261/1/2", "-2026/1/2"});
    Expect({{"2024/2/29", At(2024, 2, 29)}, {"1899/12/29 6:00", -1.25}});
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
    Expect({{"2026/12/ 6  9: 5: 7", v},
            {"  2026 / 12 / 06   9 : 05 : 07  ", v},
            {"2026/12/06 9:05:07 and more", v},
            {"2026/12/06 9:05:07:08", v},
            {"2026/12/06   ", At(2026, 12, 6)},
            {"2026/12/06\t9:05", kRefused}});
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
    ExpectRefused({"令和08/12/06"});
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
    SystemLocale single = CurrentSystemLocale();
    single.DoubleByteSystem = false;
    InstallSystemLocale(single);
    ExpectRefused({"2026/12/06 日 9:05"});
}

// Milliseconds are not written, so a value reads back to its second; years before 100 are
// written with four digits but read in the current century.
TEST_F(ParseDateTimeTest, WrittenValuesReadBackToTheSecond) {
    std::mt19937_64 random(20261207);
    for (int i = 0; i < 20000; ++i) {
        const auto y = std::uniform_int_distribution<std::uint16_t>(100, 9999)(random);
        const auto m = std::uniform_int_distribution<std::uint16_t>(1, 12)(random);
        const int d = std::uniform_int_distribution<int>(1, DaysInMonth(y, m))(random);
        const int s = i % 10 == 0 ? 0 : std::uniform_int_distribution<int>(0, 86399)(random);
        const TDateTime v = At(y, m, d, s / 3600, s / 60 % 60, s % 60);
        ASSERT_EQ(ParseDateTime(DateTimeText(v)), v) << DateTimeText(v);
    }
    EXPECT_EQ(ParseDateTime(DateTimeText(At(2026, 12, 6, 9, 5, 7, 400))), At(2026, 12, 6, 9, 5, 7));
    EXPECT_EQ(ParseDateTime(DateTimeText(At(26, 1, 2))), At(2026, 1, 2));
}

}  // namespace
}  // namespace zelk
