#pragma once
// The process-wide locale settings with which numbers and dates are written and read. Readers
// on any thread take an immutable snapshot; a reload replaces the snapshot whole, so a reader
// never sees a mixture of old and new settings.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace zelk {

struct LocaleFormats {
    std::string CurrencySymbol;
    std::uint8_t CurrencyPlacement = 0;
    std::uint8_t NegativeCurrencyPlacement = 0;
    char GroupMark = ',';
    char DecimalMark = '.';
    std::uint8_t CurrencyDigits = 0;
    char DateMark = '/';
    std::string ShortDatePattern;
    std::string LongDatePattern;
    char TimeMark = ':';
    std::string AmText;
    std::string PmText;
    std::string ShortTimePattern;
    std::string LongTimePattern;
    std::array<std::string, 12> MonthAbbrevs;  // [0] is January
    std::array<std::string, 12> MonthNames;
    std::array<std::string, 7> DayAbbrevs;  // [0] is Sunday
    std::array<std::string, 7> DayNames;
};

// The settings in force now. Cheap enough to call once per formatted text.
std::shared_ptr<const LocaleFormats> CurrentLocaleFormats();
// Replaces the settings in force (the loaders use it; so do tests that need other conventions).
void InstallLocaleFormats(LocaleFormats formats);

// Start-up loaders (defined in LocaleLoader.cpp), in this order, on the user-interface thread.
// LoadLocaleNames fills the four name lists; LoadLocaleFormats fills every other field and may
// run again later.
void LoadSystemLocale();
void LoadLocaleNames();
void LoadLocaleFormats();

}  // namespace zelk
