#pragma once
// Facts of the system's locale read once at start-up: the locale id and its language parts, and
// whether the desktop is a multi-byte one (its characters are UTF-8 either way).

#include <cstdint>

namespace zelk {

struct SystemLocale {
    std::uint32_t LocaleId = 0x0409;
    std::uint16_t PrimaryLanguage = 9;
    std::uint16_t SubLanguage = 1;
    bool DoubleByteSystem = false;
};

// Read on any thread; written by LoadSystemLocale (and tests).
SystemLocale CurrentSystemLocale();
void InstallSystemLocale(const SystemLocale& locale);

}  // namespace zelk
