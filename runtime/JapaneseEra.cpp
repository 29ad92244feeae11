#include "runtime/JapaneseEra.h"

#include <array>
#include <charconv>

#include "runtime/DateCalendar.h"

namespace zelk {
namespace {

struct Era {
    std::string_view Name;
    int Year;
    int Month;
    int Day;
};

// Newest first.
constexpr std::array<Era, 5> kEras = {{
    {"令和", 2019, 5, 1},
    {"平成", 1989, 1, 8},
    {"昭和", 1926, 12, 25},
    {"大正", 1912, 7, 30},
    {"明治", 1868, 1, 1},
}};

constexpr int DateKey(int year, int month, int day) {
    return (year * 100 + month) * 100 + day;
}

bool IsCalendarDate(std::uint16_t year, std::uint16_t month, std::uint16_t day) {
    return year >= 1 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

struct EraDate {
    std::string_view Name;
    int Year = 0;  // 1 in the year the era begins
};

std::optional<EraDate> JapaneseEraOf(std::uint16_t year, std::uint16_t month, std::uint16_t day) {
    if (!IsCalendarDate(year, month, day)) {
        return std::nullopt;
    }
    const int key = DateKey(year, month, day);
    for (const Era& era : kEras) {
        if (key >= DateKey(era.Year, era.Month, era.Day)) {
            return EraDate{era.Name, year - era.Year + 1};
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> EraDateText(std::uint16_t year, std::uint16_t month, std::uint16_t day,
                                       std::string_view picture) {
    const auto era = JapaneseEraOf(year, month, day);
    if (!era) {
        return std::nullopt;
    }
    std::string text;
    for (std::size_t i = 0; i < picture.size();) {
        const char c = picture[i];
        std::size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c) {
            ++run;
        }
        if (c == 'g') {
            text += era->Name;
        } else if (c == 'y') {
            if (run == 2 && era->Year < 10) {
                text += '0';
            }
            char digits[8];
            text.append(digits, std::to_chars(digits, digits + sizeof digits, era->Year).ptr);
        } else {
            text.append(run, c);
        }
        i += run;
    }
    return text;
}

}  // namespace zelk
