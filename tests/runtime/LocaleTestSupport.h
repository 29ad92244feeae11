#pragma once
// Puts the locale back to the built-in Japanese desktop before and after each test that changes
// locale items or settings, so tests do not see each other's conventions; the clock's year is
// fixed at 2026 meanwhile.

#include <gtest/gtest.h>

#include "platform/LocalClock.h"
#include "platform/LocaleService.h"
#include "runtime/LocaleFormats.h"
#include "runtime/SystemLocale.h"

namespace zelk {

// The year 0 lets the clock run again.
inline void LoadJapaneseDesktop(std::uint16_t year) {
    FixLocalYear(year);
    LocaleService::Instance().RemoveInstalled();
    LocaleService::Instance().SetThreadLocale(kLocaleJapanese);
    LoadSystemLocale();
    LoadLocaleNames();
    LoadLocaleFormats();
}

class JapaneseDesktopTest : public ::testing::Test {
  protected:
    void SetUp() override { LoadJapaneseDesktop(2026); }
    void TearDown() override { LoadJapaneseDesktop(0); }

    static void Install(LCTYPE item, std::string value) {
        LocaleService::Instance().InstallItem(kLocaleJapanese, item, std::move(value));
    }
    static void Fail(LCTYPE item) { LocaleService::Instance().FailItem(kLocaleJapanese, item); }
    static void UseLanguage(std::uint16_t primary) {
        SystemLocale system = CurrentSystemLocale();
        system.PrimaryLanguage = primary;
        InstallSystemLocale(system);
    }
    // Installs settings that differ from the desktop's in the given fields only.
    template <typename Change>
    static void WithFormats(Change change) {
        LocaleFormats formats = *CurrentLocaleFormats();
        change(formats);
        InstallLocaleFormats(std::move(formats));
    }
};

}  // namespace zelk
