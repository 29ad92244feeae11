#pragma once
// Facts of the system's locale read once at start-up: the locale id and its language parts, and
// whether characters may span several bytes.

#include <bitset>
#include <cstdint>

namespace zelk {

struct SystemLocale {
    std::uint32_t LocaleId = 0x0409;
    std::uint16_t PrimaryLanguage = 9;
    std::uint16_t SubLanguage = 1;
    bool DoubleByteSystem = false;
    std::bitset<256> LeadByteSet;
};

// Read on any thread; written only by LoadSystemLocale (and tests) before other threads run.
const SystemLocale& CurrentSystemLocale();
void InstallSystemLocale(const SystemLocale& locale);

}  // namespace zelk
