#include "platform/LocaleService.h"

#include <cstring>
#include <string_view>

namespace zelk {
namespace {

struct Item {
    LCTYPE type;
    std::string_view value;
};

// Names run Monday first for days and January first for months, as the item numbers do.
constexpr Item kJapanese[] = {
    {LOCALE_SCURRENCY, "¥"},
    {LOCALE_ICURRENCY, "0"},
    {LOCALE_INEGCURR, "1"},
    {LOCALE_ICURRDIGITS, "0"},
    {LOCALE_STHOUSAND, ","},
    {LOCALE_SDECIMAL, "."},
    {LOCALE_SDATE, "/"},
    {LOCALE_STIME, ":"},
    {LOCALE_SSHORTDATE, "yyyy/MM/dd"},
    {LOCALE_SLONGDATE, "yyyy'年'M'月'd'日'"},
    {LOCALE_S1159, "午前"},
    {LOCALE_S2359, "午後"},
    {LOCALE_ITLZERO, "0"},
    {LOCALE_ITIME, "1"},
    {LOCALE_ITIMEMARKPOSN, "0"},
    {LOCALE_ICALENDARTYPE, "1"},
    {LOCALE_SDAYNAME1 + 0, "月曜日"},
    {LOCALE_SDAYNAME1 + 1, "火曜日"},
    {LOCALE_SDAYNAME1 + 2, "水曜日"},
    {LOCALE_SDAYNAME1 + 3, "木曜日"},
    {LOCALE_SDAYNAME1 + 4, "金曜日"},
    {LOCALE_SDAYNAME1 + 5, "土曜日"},
    {LOCALE_SDAYNAME1 + 6, "日曜日"},
    {LOCALE_SABBREVDAYNAME1 + 0, "月"},
    {LOCALE_SABBREVDAYNAME1 + 1, "火"},
    {LOCALE_SABBREVDAYNAME1 + 2, "水"},
    {LOCALE_SABBREVDAYNAME1 + 3, "木"},
    {LOCALE_SABBREVDAYNAME1 + 4, "金"},
    {LOCALE_SABBREVDAYNAME1 + 5, "土"},
    {LOCALE_SABBREVDAYNAME1 + 6, "日"},
    {LOCALE_SMONTHNAME1 + 0, "1月"},
    {LOCALE_SMONTHNAME1 + 1, "2月"},
    {LOCALE_SMONTHNAME1 + 2, "3月"},
    {LOCALE_SMONTHNAME1 + 3, "4月"},
    {LOCALE_SMONTHNAME1 + 4, "5月"},
    {LOCALE_SMONTHNAME1 + 5, "6月"},
    {LOCALE_SMONTHNAME1 + 6, "7月"},
    {LOCALE_SMONTHNAME1 + 7, "8月"},
    {LOCALE_SMONTHNAME1 + 8, "9月"},
    {LOCALE_SMONTHNAME1 + 9, "10月"},
    {LOCALE_SMONTHNAME1 + 10, "11月"},
    {LOCALE_SMONTHNAME1 + 11, "12月"},
    {LOCALE_SABBREVMONTHNAME1 + 0, "1"},
    {LOCALE_SABBREVMONTHNAME1 + 1, "2"},
    {LOCALE_SABBREVMONTHNAME1 + 2, "3"},
    {LOCALE_SABBREVMONTHNAME1 + 3, "4"},
    {LOCALE_SABBREVMONTHNAME1 + 4, "5"},
    {LOCALE_SABBREVMONTHNAME1 + 5, "6"},
    {LOCALE_SABBREVMONTHNAME1 + 6, "7"},
    {LOCALE_SABBREVMONTHNAME1 + 7, "8"},
    {LOCALE_SABBREVMONTHNAME1 + 8, "9"},
    {LOCALE_SABBREVMONTHNAME1 + 9, "10"},
    {LOCALE_SABBREVMONTHNAME1 + 10, "11"},
    {LOCALE_SABBREVMONTHNAME1 + 11, "12"},
};

constexpr Item kUsEnglish[] = {
    {LOCALE_SCURRENCY, "$"},
    {LOCALE_ICURRENCY, "0"},
    {LOCALE_INEGCURR, "0"},
    {LOCALE_ICURRDIGITS, "2"},
    {LOCALE_STHOUSAND, ","},
    {LOCALE_SDECIMAL, "."},
    {LOCALE_SDATE, "/"},
    {LOCALE_STIME, ":"},
    {LOCALE_SSHORTDATE, "M/d/yyyy"},
    {LOCALE_SLONGDATE, "dddd, MMMM d, yyyy"},
    {LOCALE_S1159, "AM"},
    {LOCALE_S2359, "PM"},
    {LOCALE_ITLZERO, "0"},
    {LOCALE_ITIME, "0"},
    {LOCALE_ITIMEMARKPOSN, "0"},
    {LOCALE_ICALENDARTYPE, "1"},
    {LOCALE_SDAYNAME1 + 0, "Monday"},
    {LOCALE_SDAYNAME1 + 1, "Tuesday"},
    {LOCALE_SDAYNAME1 + 2, "Wednesday"},
    {LOCALE_SDAYNAME1 + 3, "Thursday"},
    {LOCALE_SDAYNAME1 + 4, "Friday"},
    {LOCALE_SDAYNAME1 + 5, "Saturday"},
    {LOCALE_SDAYNAME1 + 6, "Sunday"},
    {LOCALE_SABBREVDAYNAME1 + 0, "Mon"},
    {LOCALE_SABBREVDAYNAME1 + 1, "Tue"},
    {LOCALE_SABBREVDAYNAME1 + 2, "Wed"},
    {LOCALE_SABBREVDAYNAME1 + 3, "Thu"},
    {LOCALE_SABBREVDAYNAME1 + 4, "Fri"},
    {LOCALE_SABBREVDAYNAME1 + 5, "Sat"},
    {LOCALE_SABBREVDAYNAME1 + 6, "Sun"},
    {LOCALE_SMONTHNAME1 + 0, "January"},
    {LOCALE_SMONTHNAME1 + 1, "February"},
    {LOCALE_SMONTHNAME1 + 2, "March"},
    {LOCALE_SMONTHNAME1 + 3, "April"},
    {LOCALE_SMONTHNAME1 + 4, "May"},
    {LOCALE_SMONTHNAME1 + 5, "June"},
    {LOCALE_SMONTHNAME1 + 6, "July"},
    {LOCALE_SMONTHNAME1 + 7, "August"},
    {LOCALE_SMONTHNAME1 + 8, "September"},
    {LOCALE_SMONTHNAME1 + 9, "October"},
    {LOCALE_SMONTHNAME1 + 10, "November"},
    {LOCALE_SMONTHNAME1 + 11, "December"},
    {LOCALE_SABBREVMONTHNAME1 + 0, "Jan"},
    {LOCALE_SABBREVMONTHNAME1 + 1, "Feb"},
    {LOCALE_SABBREVMONTHNAME1 + 2, "Mar"},
    {LOCALE_SABBREVMONTHNAME1 + 3, "Apr"},
    {LOCALE_SABBREVMONTHNAME1 + 4, "May"},
    {LOCALE_SABBREVMONTHNAME1 + 5, "Jun"},
    {LOCALE_SABBREVMONTHNAME1 + 6, "Jul"},
    {LOCALE_SABBREVMONTHNAME1 + 7, "Aug"},
    {LOCALE_SABBREVMONTHNAME1 + 8, "Sep"},
    {LOCALE_SABBREVMONTHNAME1 + 9, "Oct"},
    {LOCALE_SABBREVMONTHNAME1 + 10, "Nov"},
    {LOCALE_SABBREVMONTHNAME1 + 11, "Dec"},
};

// The defaults stand for the user's and the system's own locale, the Japanese desktop.
LCID Resolve(LCID locale) {
    return locale == LOCALE_USER_DEFAULT || locale == LOCALE_SYSTEM_DEFAULT ? kLocaleJapanese
                                                                            : locale;
}

std::optional<std::string_view> BuiltInItem(LCID locale, LCTYPE type) {
    auto find = [type](const auto& table) -> std::optional<std::string_view> {
        for (const Item& item : table) {
            if (item.type == type) {
                return item.value;
            }
        }
        return std::nullopt;
    };
    switch (locale) {
        case kLocaleJapanese:
            return find(kJapanese);
        case kLocaleUsEnglish:
            return find(kUsEnglish);
        default:
            return std::nullopt;
    }
}

thread_local LCID threadLocale = kLocaleJapanese;

}  // namespace

LocaleService& LocaleService::Instance() {
    static LocaleService service;
    return service;
}

LCID LocaleService::ThreadLocale() const {
    return threadLocale;
}

void LocaleService::SetThreadLocale(LCID locale) {
    threadLocale = locale;
}

int LocaleService::LocaleInfo(LCID locale, LCTYPE item, char* buffer, int size) const {
    if (size < 0 || (size > 0 && buffer == nullptr)) {
        return 0;
    }
    locale = Resolve(locale);
    std::string installed;
    std::optional<std::string_view> value;
    {
        const std::lock_guard lock(mutex_);
        const auto found = items_.find({locale, item});
        if (found != items_.end()) {
            if (!found->second) {
                return 0;
            }
            installed = *found->second;
            value = installed;
        }
    }
    if (!value) {
        value = BuiltInItem(locale, item);
        if (!value) {
            return 0;
        }
    }
    const int needed = static_cast<int>(value->size()) + 1;
    if (size == 0) {
        return needed;
    }
    if (needed > size) {
        return 0;
    }
    std::memcpy(buffer, value->data(), value->size());
    buffer[value->size()] = '\0';
    return needed;
}

int LocaleService::SystemMetric(int index) const {
    const std::lock_guard lock(mutex_);
    const auto found = metrics_.find(index);
    if (found != metrics_.end()) {
        return found->second;
    }
    return index == SM_DBCSENABLED ? 1 : 0;
}

void LocaleService::InstallItem(LCID locale, LCTYPE item, std::string value) {
    const std::lock_guard lock(mutex_);
    items_[{Resolve(locale), item}] = std::move(value);
}

void LocaleService::FailItem(LCID locale, LCTYPE item) {
    const std::lock_guard lock(mutex_);
    items_[{Resolve(locale), item}] = std::nullopt;
}

void LocaleService::InstallSystemMetric(int index, int value) {
    const std::lock_guard lock(mutex_);
    metrics_[index] = value;
}

void LocaleService::RemoveInstalled() {
    const std::lock_guard lock(mutex_);
    items_.clear();
    metrics_.clear();
}

LCID GetThreadLocale() {
    return LocaleService::Instance().ThreadLocale();
}

bool SetThreadLocale(LCID locale) {
    LocaleService::Instance().SetThreadLocale(Resolve(locale));
    return true;
}

int GetLocaleInfoA(LCID locale, LCTYPE item, char* buffer, int size) {
    return LocaleService::Instance().LocaleInfo(locale, item, buffer, size);
}

int GetSystemMetrics(int index) {
    return LocaleService::Instance().SystemMetric(index);
}

}  // namespace zelk
