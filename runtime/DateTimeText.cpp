#include "runtime/DateTimeText.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <optional>

#include "platform/AsciiCase.h"
#include "platform/TextCompare.h"
#include "platform/Utf8Text.h"
#include "runtime/JapaneseEra.h"
#include "runtime/LocaleFormats.h"
#include "runtime/SystemLocale.h"

namespace zelk {
namespace {

constexpr std::size_t kLimit = 256;

bool StartsWithIgnoringCase(std::string_view text, std::size_t pos, std::string_view form) {
    return text.size() - pos >= form.size() &&
           SameTextIgnoringCase(text.substr(pos, form.size()), form);
}

// One call of ExpandDateTimePattern: the output buffer, the date and time worked out once, and
// the 12-hour mode, which the nested patterns share.
class Expansion {
  public:
    Expansion(const LocaleFormats& formats, TDateTime value) : formats_(formats), value_(value) {}

    void Expand(std::string_view pattern, int level);
    std::string Result() const { return std::string(buffer_, size_); }

  private:
    const CalendarDate& Date() {
        if (!date_) {
            date_ = CalendarDateOf(value_);
        }
        return *date_;
    }
    const ClockTime& Time() {
        if (!time_) {
            time_ = ClockTimeOf(value_);
        }
        return *time_;
    }
    std::size_t WeekdayIndex() const { return static_cast<std::size_t>(WeekdayOf(value_) - 1); }

    void Put(char c) {
        if (size_ < kLimit && !full_) {
            buffer_[size_++] = c;
        } else {
            full_ = true;
        }
    }
    void PutText(std::string_view text);
    void PutNumber(unsigned value, unsigned minDigits);
    void PutMark(char mark) {
        if (mark != '\0') {  // an empty locale item
            Put(mark);
        }
    }

    std::size_t ExpandA(std::string_view pattern, std::size_t pos);
    void PutHour(std::string_view pattern, std::size_t after, std::size_t run);
    void PutEraName(std::size_t run);
    void PutEraYear(std::size_t run);
    std::string EraText(std::string_view picture) {
        const CalendarDate& date = Date();
        return EraDateText(date.Year, date.Month, date.Day, picture).value_or(std::string());
    }

    const LocaleFormats& formats_;
    const TDateTime value_;
    std::optional<CalendarDate> date_;
    std::optional<ClockTime> time_;
    bool twelveHour_ = false;
    bool full_ = false;
    std::size_t size_ = 0;
    char buffer_[kLimit];
};

void Expansion::PutText(std::string_view text) {
    if (full_) {
        return;
    }
    if (text.size() <= kLimit - size_) {
        std::memcpy(buffer_ + size_, text.data(), text.size());
        size_ += text.size();
        return;
    }
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = CharLengthAt(text, i);
        if (length > kLimit - size_) {
            full_ = true;
            return;
        }
        std::memcpy(buffer_ + size_, text.data() + i, length);
        size_ += length;
        i += length;
    }
}

void Expansion::PutNumber(unsigned value, unsigned minDigits) {
    char digits[12];
    const std::size_t count =
        static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr - digits);
    for (std::size_t zeros = count; zeros < minDigits; ++zeros) {
        Put('0');
    }
    for (std::size_t i = 0; i < count; ++i) {
        Put(digits[i]);
    }
}

bool IsTwelveHourFormAt(std::string_view pattern, std::size_t pos) {
    return StartsWithIgnoringCase(pattern, pos, "am/pm") ||
           StartsWithIgnoringCase(pattern, pos, "a/p") ||
           StartsWithIgnoringCase(pattern, pos, "ampm");
}

// The forms that begin with "a"; returns the bytes they take.
std::size_t Expansion::ExpandA(std::string_view pattern, std::size_t pos) {
    const bool morning = Time().Hour < 12;
    if (StartsWithIgnoringCase(pattern, pos, "am/pm")) {
        twelveHour_ = true;
        PutText(pattern.substr(morning ? pos : pos + 3, 2));
        return 5;
    }
    if (StartsWithIgnoringCase(pattern, pos, "a/p")) {
        twelveHour_ = true;
        Put(pattern[morning ? pos : pos + 2]);
        return 3;
    }
    if (StartsWithIgnoringCase(pattern, pos, "ampm")) {
        twelveHour_ = true;
        PutText(morning ? formats_.AmText : formats_.PmText);
        return 4;
    }
    if (StartsWithIgnoringCase(pattern, pos, "aaaa")) {
        PutText(formats_.DayNames[WeekdayIndex()]);
        return 4;
    }
    if (StartsWithIgnoringCase(pattern, pos, "aaa")) {
        PutText(formats_.DayAbbrevs[WeekdayIndex()]);
        return 3;
    }
    Put(pattern[pos]);
    return 1;
}

void Expansion::PutHour(std::string_view pattern, std::size_t after, std::size_t run) {
    // A marker later in the pattern decides the clock of this hour already.
    bool quoted = false;
    for (std::size_t i = after; i < pattern.size();) {
        const std::size_t length = CharLengthAt(pattern, i);
        const char c = pattern[i];
        if (length == 1) {
            if (c == '\'' || c == '"') {
                quoted = !quoted;
            } else if (c == 'h' || c == 'H') {
                break;
            } else if (!quoted && (c == 'a' || c == 'A')) {
                if (IsTwelveHourFormAt(pattern, i)) {
                    twelveHour_ = true;
                }
                break;
            }
        }
        i += length;
    }
    unsigned hour = Time().Hour;
    if (twelveHour_) {
        hour = hour == 0 ? 12 : hour > 12 ? hour - 12 : hour;
    }
    PutNumber(hour, run == 1 ? 1 : 2);
}

void Expansion::PutEraName(std::size_t run) {
    const std::string name = EraText("gg");
    std::string_view text = name;
    if (run == 1 && !text.empty()) {
        const SystemLocale system = CurrentSystemLocale();
        if (system.PrimaryLanguage == 17) {
            text = text.substr(0, CharLengthAt(text, 0));
        } else if (system.PrimaryLanguage == 4 && system.SubLanguage == 1) {
            std::size_t starts[5] = {};
            std::size_t count = 0;
            for (std::size_t i = 0; i < text.size() && count < 5; i += CharLengthAt(text, i)) {
                starts[count++] = i;
            }
            if (count == 4) {
                text = text.substr(starts[2]);
            }
        }
    }
    PutText(text);
}

void Expansion::PutEraYear(std::size_t run) {
    const std::string year = EraText(run <= 2 ? "yy" : "yyyy");
    std::string_view text = year;
    if (run == 1 && !text.empty() && text.front() == '0') {
        text.remove_prefix(1);
    }
    PutText(text);
}

void Expansion::Expand(std::string_view pattern, int level) {
    if (level > 2) {
        return;
    }
    bool afterHour = false;  // the last letter outside quotes belonged to an hour run
    std::size_t i = 0;
    while (i < pattern.size() && !full_) {
        const char c = pattern[i];
        const std::size_t length = CharLengthAt(pattern, i);
        if (length > 1) {
            PutText(pattern.substr(i, length));
            afterHour = false;
            i += length;
            continue;
        }
        const char letter = AsciiToLower(c);
        if (letter >= 'a' && letter <= 'z') {
            if (letter == 'a') {
                i += ExpandA(pattern, i);
                afterHour = false;
                continue;
            }
            std::size_t run = 1;
            while (i + run < pattern.size() && pattern[i + run] == c) {
                ++run;
            }
            const unsigned width = run == 1 ? 1 : 2;
            switch (letter) {
                case 'y':
                    if (run <= 2) {
                        PutNumber(Date().Year % 100, 2);
                    } else {
                        PutNumber(Date().Year, 4);
                    }
                    break;
                case 'm':
                    if (afterHour) {
                        PutNumber(Time().Minute, width);
                    } else if (run <= 2) {
                        PutNumber(Date().Month, width);
                    } else if (Date().Month >= 1) {  // no name for the month 0 of a non-date
                        const std::size_t month = Date().Month - 1u;
                        PutText(run == 3 ? formats_.MonthAbbrevs[month]
                                         : formats_.MonthNames[month]);
                    }
                    break;
                case 'd':
                    if (run <= 2) {
                        PutNumber(Date().Day, width);
                    } else if (run == 3) {
                        PutText(formats_.DayAbbrevs[WeekdayIndex()]);
                    } else if (run == 4) {
                        PutText(formats_.DayNames[WeekdayIndex()]);
                    } else {
                        Expand(run == 5 ? formats_.ShortDatePattern : formats_.LongDatePattern,
                               level + 1);
                    }
                    break;
                case 'h':
                    PutHour(pattern, i + run, run);
                    break;
                case 'n':
                    PutNumber(Time().Minute, width);
                    break;
                case 's':
                    PutNumber(Time().Second, width);
                    break;
                case 't':
                    Expand(run == 1 ? formats_.ShortTimePattern : formats_.LongTimePattern,
                           level + 1);
                    break;
                case 'c':
                    Expand(formats_.ShortDatePattern, level + 1);
                    if (Time().Hour != 0 || Time().Minute != 0 || Time().Second != 0) {
                        Put(' ');
                        Expand(formats_.LongTimePattern, level + 1);
                    }
                    break;
                case 'g':
                    PutEraName(run);
                    break;
                case 'e':
                    PutEraYear(run);
                    break;
                default:
                    PutText(pattern.substr(i, run));
                    break;
            }
            afterHour = letter == 'h';
            i += run;
            continue;
        }
        if (c == '\'' || c == '"') {
            std::size_t end = i + 1;
            while (end < pattern.size() && pattern[end] != c) {
                end += CharLengthAt(pattern, end);
            }
            end = std::min(end, pattern.size());
            PutText(pattern.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        if (c == '/') {
            PutMark(formats_.DateMark);
        } else if (c == ':') {
            PutMark(formats_.TimeMark);
        } else {
            Put(c);
        }
        ++i;
    }
}

}  // namespace

std::string ExpandDateTimePattern(std::string_view pattern, TDateTime value) {
    const std::shared_ptr<const LocaleFormats> formats = CurrentLocaleFormats();
    Expansion expansion(*formats, value);
    expansion.Expand(pattern, 1);
    return expansion.Result();
}

std::string DateTimeText(TDateTime value) {
    return ExpandDateTimePattern("c", value);
}

}  // namespace zelk
