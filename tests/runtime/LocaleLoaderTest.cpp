// Guards how the locale settings are read (the Japanese desktop's values are pinned through the
// texts of the date-time and format tests): the defaults of the three item readers (an empty item,
// a failed read, an item too long), the adapted date patterns, the built time patterns, the system
// facts, and a reload racing a formatting thread.

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <set>
#include <string>
#include <thread>

#include "runtime/FormatText.h"
#include "runtime/LocaleLoader.h"
#include "runtime/SystemLocale.h"
#include "tests/runtime/LocaleTestSupport.h"

namespace zelk {
namespace {

using LocaleLoaderTest = JapaneseDesktopTest;

// A character item takes its first byte, the zero byte when empty, or the default when it is
// longer than one byte.
TEST_F(LocaleLoaderTest, TextAndCharacterItemsTakeTheDefaultOnlyWhenTheReadFailsOrTooLong) {
    Install(LOCALE_SCURRENCY, "");
    Fail(LOCALE_S1159);
    Install(LOCALE_S2359, std::string(255, 'p'));
    Install(LOCALE_SSHORTDATE, std::string(256, 'd'));  // does not fit the buffer: fails
    Install(LOCALE_STHOUSAND, "");
    Install(LOCALE_SDECIMAL, "..");
    Install(LOCALE_SDATE, "-");
    Fail(LOCALE_STIME);
    LoadLocaleFormats();
    const auto f = CurrentLocaleFormats();
    EXPECT_EQ("[" + f->CurrencySymbol + "] " + f->AmText + " " + f->ShortDatePattern,
              "[] am m/d/yy");
    EXPECT_EQ(f->PmText, std::string(255, 'p'));
    // The group, decimal, date and time marks.
    EXPECT_EQ(std::string({f->GroupMark, f->DecimalMark, f->DateMark, f->TimeMark}),
              std::string("\0.-:", 4));
    Install(LOCALE_STHOUSAND, "·");  // a two-byte character
    LoadLocaleFormats();
    EXPECT_EQ(CurrentLocaleFormats()->GroupMark, ',');
}

TEST_F(LocaleLoaderTest, NumberItemsReadDecimalsKeptInOneByte) {
    const std::pair<const char*, int> cases[] = {{"12", 12}, {"abc", 0},        {"", 0},
                                                 {"3x", 0},  {"300", 44},       {"-1", 255},
                                                 {"+7", 7},  {"99999999999", 0}};
    for (const auto& [text, value] : cases) {
        Install(LOCALE_ICURRDIGITS, text);
        EXPECT_EQ(ReadNumberItem(LOCALE_ICURRDIGITS), value) << '"' << text << '"';
    }
    Fail(LOCALE_ICURRDIGITS);
    EXPECT_EQ(ReadNumberItem(LOCALE_ICURRDIGITS), 0);
}

// Reloading the other settings keeps the names.
TEST_F(LocaleLoaderTest, EmptyNamesTakeTheEnglishNameOfTheSameMonthOrDay) {
    Install(LOCALE_SMONTHNAME1 + 4, "");
    Install(LOCALE_SABBREVMONTHNAME1 + 11, "");
    Fail(LOCALE_SDAYNAME1 + 6);           // Sunday
    Install(LOCALE_SABBREVDAYNAME1, "");  // Monday
    LoadLocaleNames();
    Install(LOCALE_SCURRENCY, "€");
    LoadLocaleFormats();
    const auto f = CurrentLocaleFormats();
    EXPECT_EQ(f->MonthNames[4] + " " + f->MonthNames[5] + " " + f->MonthAbbrevs[11] + " " +
                  f->DayNames[0] + " " + f->DayAbbrevs[1] + " " + f->DayAbbrevs[2] + " " +
                  f->CurrencySymbol,
              "May 6月 Dec Sunday Mon 火 €");
}

// Calendars 3 to 5 write era years; the others drop the era letters, unless the language is
// other than Chinese, Japanese and Korean (4, 17, 18).
TEST_F(LocaleLoaderTest, CalendarTypeAndLanguageDecideWhatBecomesOfErasAndYears) {
    for (const char* calendar : {"3", "4", "5"}) {
        Install(LOCALE_ICALENDARTYPE, calendar);
        EXPECT_EQ(AdaptDatePattern("gg yyyy/MM/dd|GgYY.M.d|yyy y Y|g'年'YyyY"),
                  "ggg ee/MM/dd|gggee.M.d|eee e e|g'年'ee");
    }
    const std::string pattern = "gg yyyy/MM/dd G";
    for (const char* calendar : {"1", "2", "x", ""}) {
        Install(LOCALE_ICALENDARTYPE, calendar);
        for (const std::uint16_t language : {4, 17, 18, 9}) {
            UseLanguage(language);
            EXPECT_EQ(AdaptDatePattern(pattern), language == 9 ? pattern : " yyyy/MM/dd ")
                << calendar << " " << language;
        }
    }
    UseLanguage(17);
    Fail(LOCALE_ICALENDARTYPE);
    EXPECT_EQ(AdaptDatePattern(pattern), " yyyy/MM/dd ");
}

// Leading zero, clock, marker position; the short and the long pattern built from them.
TEST_F(LocaleLoaderTest, TimePatternsFollowLeadingZeroClockAndMarkPosition) {
    // clang-format off
    const std::array<const char*, 5> cases[] = {
        {"0", "1", "1", "h:mm", "h:mm:ss"}, {"1", "1", "0", "hh:mm", "hh:mm:ss"},
        {"0", "0", "0", "h:mm AMPM", "h:mm:ss AMPM"}, {"1", "0", "1", "AMPM hh:mm", "AMPM hh:mm:ss"}};
    // clang-format on
    for (const auto& [zero, clock, mark, shortPattern, longPattern] : cases) {
        Install(LOCALE_ITLZERO, zero);
        Install(LOCALE_ITIME, clock);
        Install(LOCALE_ITIMEMARKPOSN, mark);
        LoadLocaleFormats();
        const auto f = CurrentLocaleFormats();
        EXPECT_EQ(f->ShortTimePattern + " | " + f->LongTimePattern,
                  std::string(shortPattern) + " | " + longPattern);
    }
}

// Thread locale, locale id, primary and sub-language: a thread locale of 0 reads as 0x0409; one
// whose low half is 0 keeps the default languages.
TEST_F(LocaleLoaderTest, SystemFactsComeFromTheLocale) {
    EXPECT_TRUE(CurrentSystemLocale().DoubleByteSystem);
    // clang-format off
    const std::array<std::uint32_t, 4> cases[] = {
        {0x0411, 0x0411, 17, 1}, {0, 0x0409, 9, 1}, {0x50000, 0x50000, 9, 1}, {0x0C0A, 0x0C0A, 10, 3}};
    // clang-format on
    for (const auto& [thread, id, primary, sub] : cases) {
        LocaleService::Instance().SetThreadLocale(thread);
        LoadSystemLocale();
        const SystemLocale s = CurrentSystemLocale();
        EXPECT_EQ((std::array<std::uint32_t, 3>{s.LocaleId, s.PrimaryLanguage, s.SubLanguage}),
                  (std::array<std::uint32_t, 3>{id, primary, sub}))
            << thread;
    }
    LocaleService::Instance().InstallSystemMetric(SM_DBCSENABLED, 0);
    LoadSystemLocale();
    EXPECT_FALSE(CurrentSystemLocale().DoubleByteSystem);
}

TEST_F(LocaleLoaderTest, ReloadWhileAnotherThreadFormatsShowsOldOrNewSettingsWhole) {
    std::atomic<bool> stop{false};
    std::set<std::string> seen;
    std::thread reader([&] {
        while (!stop.load()) {
            seen.insert(FormatText("%0.0m", {1234567.0}));
        }
    });
    for (int i = 0; i < 400; ++i) {
        const bool euro = i % 2 == 0;
        Install(LOCALE_SCURRENCY, euro ? "€" : "¥");
        Install(LOCALE_STHOUSAND, euro ? "." : ",");
        Install(LOCALE_ICURRENCY, euro ? "3" : "0");
        LoadLocaleFormats();
    }
    stop.store(true);
    reader.join();
    for (const std::string& text : seen) {
        EXPECT_TRUE(text == "¥1,234,567" || text == "1.234.567 €") << text;
    }
}

}  // namespace
}  // namespace zelk
