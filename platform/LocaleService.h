#pragma once
// The platform's locale items, answered from built-in tables instead of the environment: the
// Japanese desktop (0x0411) the program expects, and US English (0x0409) beside it. Tests may
// install any item value, or make an item fail, to exercise other conventions.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

namespace zelk {

using LCID = std::uint32_t;
using LCTYPE = std::uint32_t;

constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr LCID kLocaleJapanese = 0x0411;
constexpr LCID kLocaleUsEnglish = 0x0409;

constexpr LCTYPE LOCALE_SDECIMAL = 0x0E;
constexpr LCTYPE LOCALE_STHOUSAND = 0x0F;
constexpr LCTYPE LOCALE_SCURRENCY = 0x14;
constexpr LCTYPE LOCALE_ICURRDIGITS = 0x19;
constexpr LCTYPE LOCALE_ICURRENCY = 0x1B;
constexpr LCTYPE LOCALE_INEGCURR = 0x1C;
constexpr LCTYPE LOCALE_SDATE = 0x1D;
constexpr LCTYPE LOCALE_STIME = 0x1E;
constexpr LCTYPE LOCALE_SSHORTDATE = 0x1F;
constexpr LCTYPE LOCALE_SLONGDATE = 0x20;
constexpr LCTYPE LOCALE_ITIME = 0x23;
constexpr LCTYPE LOCALE_ITLZERO = 0x25;
constexpr LCTYPE LOCALE_S1159 = 0x28;
constexpr LCTYPE LOCALE_S2359 = 0x29;
constexpr LCTYPE LOCALE_SDAYNAME1 = 0x2A;  // Monday; 2 to 7 follow
constexpr LCTYPE LOCALE_SABBREVDAYNAME1 = 0x31;
constexpr LCTYPE LOCALE_SMONTHNAME1 = 0x38;  // January; 2 to 12 follow
constexpr LCTYPE LOCALE_SABBREVMONTHNAME1 = 0x44;
constexpr LCTYPE LOCALE_ITIMEMARKPOSN = 0x1005;
constexpr LCTYPE LOCALE_ICALENDARTYPE = 0x1009;

constexpr int SM_DBCSENABLED = 42;

class LocaleService {
  public:
    static LocaleService& Instance();

    // Per thread, as on the desktop; a new thread starts with 0x0411.
    LCID ThreadLocale() const;
    void SetThreadLocale(LCID locale);

    // The item as text with its terminating zero; returns the count written including the zero,
    // or 0 when the item is unknown, fails or does not fit. A size of 0 asks for the count only.
    int LocaleInfo(LCID locale, LCTYPE item, char* buffer, int size) const;
    int SystemMetric(int index) const;

    // Test seams. An installed item takes the place of the table's value for that locale.
    void InstallItem(LCID locale, LCTYPE item, std::string value);
    void FailItem(LCID locale, LCTYPE item);
    void InstallSystemMetric(int index, int value);
    void RemoveInstalled();  // back to the built-in tables

  private:
    LocaleService() = default;

    mutable std::mutex mutex_;
    std::map<std::pair<LCID, LCTYPE>, std::optional<std::string>> items_;
    std::map<int, int> metrics_;
};

// The platform calls as the locale readers use them.
LCID GetThreadLocale();
bool SetThreadLocale(LCID locale);
int GetLocaleInfoA(LCID locale, LCTYPE item, char* buffer, int size);
int GetSystemMetrics(int index);

}  // namespace zelk
