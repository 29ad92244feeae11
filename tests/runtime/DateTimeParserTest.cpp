// Guards how text is read back into date-time values: the three date orders, two-number dates,
// the century of short years, morning and afternoon markers, the limits of the clock, marks,
// blanks, the era prefix, the word skip of double-byte systems, and the refusal of anything
// else. Random texts, patterns and locale settings give values or EConvertError only, and no
// written text exceeds 256 bytes.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <tuple>

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
