#include "runtime/LocaleLoader.h"

#include <array>
#include <charconv>
#include <cstdint>

#include "platform/AsciiCase.h"
#include "platform/Utf8Text.h"
#include "runtime/LocaleFormats.h"
#include "runtime/SystemLocale.h"

namespace zelk {
namespace {

constexpr std::array<std::string_view, 12> kMonthAbbrevs = {
    "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<std::string_view, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<std::string_view, 7> kDayAbbrevs = {"Sun", "Mon", "Tue", "Wed",
                                                         "Thu", "Fri", "Sat"};
constexpr std::array<std::string_view, 7> kDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                       "Thursday", "Friday", "Saturday"};

// The item's text; the default only when the read fails (an empty item stays empty).
std::string ReadTextItem(LCTYPE item, std::string_view otherwise) {
    char buffer[256];
    const int count = GetLocaleInfoA(GetThreadLocale(), item, buffer, sizeof buffer);
    if (count > 0) {
        return std::string(buffer, static_cast<std::size_t>(count - 1));
    }
    return std::string(otherwise);
}

// The item's first byte, the zero byte for an empty item; the default when the read fails or
// the item is longer than one byte.
char ReadCharItem(LCTYPE item, char otherwise) {
    char buffer[2];
    return GetLocaleInfoA(GetThreadLocale(), item, buffer, sizeof buffer) > 0 ? buffer[0]
                                                                              : otherwise;
}

int TextToInt(std::string_view text, int otherwise) {
    if (text.starts_with('+') && !text.substr(1).starts_with('-')) {
        text.remove_prefix(1);
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : otherwise;
}

// Day lists run Sunday first; the locale's day items run Monday first.
LCTYPE DayItem(LCTYPE first, std::size_t sundayFirstIndex) {
    return first + static_cast<LCTYPE>(sundayFirstIndex == 0 ? 6 : sundayFirstIndex - 1);
}

std::string NameOr(LCTYPE item, std::string_view english) {
    std::string name = ReadTextItem(item, "");
    return name.empty() ? std::string(english) : name;
}

// Whether text at pos starts with word (lower-case) in any letter case.
bool StartsWithNoCase(std::string_view text, std::size_t pos, std::string_view word) {
    if (text.size() - pos < word.size()) {
        return false;
    }
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (AsciiToLower(text[pos + i]) != word[i]) {
            return false;
        }
    }
    return true;
}

std::string EraPattern(std::string_view pattern) {
    std::string result;
    std::size_t pos = 0;
    while (pos < pattern.size()) {
        const std::size_t length = CharLengthAt(pattern, pos);
        if (length > 1) {
            result.append(pattern.substr(pos, length));
            pos += length;
        } else if (StartsWithNoCase(pattern, pos, "gg")) {
            result += "ggg";
            pos += 2;
        } else if (StartsWithNoCase(pattern, pos, "yyyy")) {
            result += "ee";
            pos += 4;
        } else if (StartsWithNoCase(pattern, pos, "yy")) {
            result += "ee";
            pos += 2;
        } else if (AsciiToLower(pattern[pos]) == 'y') {
            result += 'e';
            ++pos;
        } else {
            result += pattern[pos++];
        }
    }
    return result;
}

struct TimePatterns {
    std::string ShortPattern;
    std::string LongPattern;
};

TimePatterns BuildTimePatterns() {
    const std::string hour = ReadNumberItem(LOCALE_ITLZERO) == 0 ? "h" : "hh";
    std::string prefix;
    std::string suffix;
    if (ReadNumberItem(LOCALE_ITIME) == 0) {
        if (ReadNumberItem(LOCALE_ITIMEMARKPOSN) != 0) {
            prefix = "AMPM ";
        } else {
            suffix = " AMPM";
        }
    }
    return {prefix + hour + ":mm" + suffix, prefix + hour + ":mm:ss" + suffix};
}

}  // namespace

std::uint8_t ReadNumberItem(LCTYPE item) {
    return static_cast<std::uint8_t>(TextToInt(ReadTextItem(item, "0"), 0));
}

std::string AdaptDatePattern(std::string_view pattern) {
    const int calendar = TextToInt(ReadTextItem(LOCALE_ICALENDARTYPE, "1"), 1);
    if (calendar >= 3 && calendar <= 5) {
        return EraPattern(pattern);
    }
    const std::uint16_t language = CurrentSystemLocale().PrimaryLanguage;
    if (language == 4 || language == 17 || language == 18) {
        std::string result;
        for (const char c : pattern) {
            if (c != 'g' && c != 'G') {
                result += c;
            }
        }
        return result;
    }
    return std::string(pattern);
}

void LoadSystemLocale() {
    SystemLocale locale;
    const LCID id = GetThreadLocale();
    locale.LocaleId = id != 0 ? id : 0x0409;
    if ((locale.LocaleId & 0xFFFF) != 0) {
        locale.PrimaryLanguage = static_cast<std::uint16_t>(locale.LocaleId & 0x3FF);
        locale.SubLanguage = static_cast<std::uint16_t>((locale.LocaleId >> 10) & 0x3F);
    }
    locale.DoubleByteSystem = GetSystemMetrics(SM_DBCSENABLED) != 0;
    InstallSystemLocale(locale);
}

void LoadLocaleNames() {
    LocaleFormats formats = *CurrentLocaleFormats();
    for (std::size_t i = 0; i < 12; ++i) {
        const auto month = static_cast<LCTYPE>(i);
        formats.MonthAbbrevs[i] = NameOr(LOCALE_SABBREVMONTHNAME1 + month, kMonthAbbrevs[i]);
        formats.MonthNames[i] = NameOr(LOCALE_SMONTHNAME1 + month, kMonthNames[i]);
    }
    for (std::size_t i = 0; i < 7; ++i) {
        formats.DayAbbrevs[i] = NameOr(DayItem(LOCALE_SABBREVDAYNAME1, i), kDayAbbrevs[i]);
        formats.DayNames[i] = NameOr(DayItem(LOCALE_SDAYNAME1, i), kDayNames[i]);
    }
    InstallLocaleFormats(std::move(formats));
}

void LoadLocaleFormats() {
    // Built aside and installed whole: a thread formatting meanwhile keeps the old snapshot.
    LocaleFormats formats = *CurrentLocaleFormats();
    formats.CurrencySymbol = ReadTextItem(LOCALE_SCURRENCY, "");
    formats.CurrencyPlacement = ReadNumberItem(LOCALE_ICURRENCY);
    formats.NegativeCurrencyPlacement = ReadNumberItem(LOCALE_INEGCURR);
    formats.GroupMark = ReadCharItem(LOCALE_STHOUSAND, ',');
    formats.DecimalMark = ReadCharItem(LOCALE_SDECIMAL, '.');
    formats.CurrencyDigits = ReadNumberItem(LOCALE_ICURRDIGITS);
    formats.DateMark = ReadCharItem(LOCALE_SDATE, '/');
    formats.ShortDatePattern = AdaptDatePattern(ReadTextItem(LOCALE_SSHORTDATE, "m/d/yy"));
    formats.LongDatePattern = AdaptDatePattern(ReadTextItem(LOCALE_SLONGDATE, "mmmm d, yyyy"));
    formats.TimeMark = ReadCharItem(LOCALE_STIME, ':');
    formats.AmText = ReadTextItem(LOCALE_S1159, "am");
    formats.PmText = ReadTextItem(LOCALE_S2359, "pm");
    TimePatterns time = BuildTimePatterns();
    formats.ShortTimePattern = std::move(time.ShortPattern);
    formats.LongTimePattern = std::move(time.LongPattern);
    InstallLocaleFormats(std::move(formats));
}

}  // namespace zelk
