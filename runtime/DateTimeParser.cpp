#include "runtime/DateTimeParser.h"

#include <string>

#include "platform/LocalClock.h"
#include "platform/TextCompare.h"
#include "platform/Utf8Text.h"
#include "runtime/Errors.h"
#include "runtime/LocaleFormats.h"
#include "runtime/SystemLocale.h"

namespace zelk {
namespace {

enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

DateOrder DateOrderOf(std::string_view pattern) {
    for (const char c : pattern) {
        switch (c) {
            case 'D':
            case 'd':
                return DateOrder::DayMonthYear;
            case 'E':
            case 'e':
            case 'Y':
            case 'y':
                return DateOrder::YearMonthDay;
            case 'M':
            case 'm':
                return DateOrder::MonthDayYear;
            default:
                break;
        }
    }
    return DateOrder::MonthDayYear;
}

constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The scanning steps over one text; pos is a byte index.
class Scanner {
  public:
    Scanner(std::string_view text, const LocaleFormats& formats) : text_(text), formats_(formats) {}

    bool ParseDatePart(double& date);
    bool ParseTimePart(double& time);
    bool AtEnd() const { return pos_ >= text_.size(); }

  private:
    void SkipBlanks() {
        while (pos_ < text_.size() && text_[pos_] == ' ') {
            ++pos_;
        }
    }
    // At most four digits: digits are taken while the value so far is below 1000.
    bool ReadNumber(std::uint16_t& number) {
        SkipBlanks();
        const std::size_t start = pos_;
        unsigned value = 0;
        while (pos_ < text_.size() && IsDigit(text_[pos_]) && value < 1000) {
            value = value * 10 + static_cast<unsigned>(text_[pos_] - '0');
            ++pos_;
        }
        number = static_cast<std::uint16_t>(value);
        return pos_ > start;
    }
    bool ReadMark(char mark) {
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == mark) {
            ++pos_;
            return true;
        }
        return false;
    }
    bool MarkerAt(std::string_view marker) const {
        return text_.size() - pos_ >= marker.size() &&
               SameTextIgnoringCase(text_.substr(pos_, marker.size()), marker);
    }
    bool ReadMarker(std::string_view marker) {
        SkipBlanks();
        if (marker.empty() || !MarkerAt(marker)) {
            return false;
        }
        pos_ += marker.size();
        return true;
    }
    // 0 for a morning marker, 12 for an afternoon one, -1 for none.
    int ReadDayHalf() {
        if (ReadMarker(formats_.AmText) || ReadMarker("AM")) {
            return 0;
        }
        if (ReadMarker(formats_.PmText) || ReadMarker("PM")) {
            return 12;
        }
        return -1;
    }
    void SkipToDigit() {
        while (pos_ < text_.size() && !IsDigit(text_[pos_])) {
            pos_ += CharLengthAt(text_, pos_);
        }
    }
    void SkipWordsToMarker();

    std::string_view text_;
    const LocaleFormats& formats_;
    std::size_t pos_ = 0;
};

void Scanner::SkipWordsToMarker() {
    // An empty marker matches at once; the comparison does not move the position.
    const auto atMarker = [this] {
        return formats_.AmText.empty() || formats_.PmText.empty() || MarkerAt(formats_.AmText) ||
               MarkerAt(formats_.PmText);
    };
    do {
        while (pos_ < text_.size() && text_[pos_] != ' ') {
            ++pos_;
        }
        SkipBlanks();
    } while (!AtEnd() && !atMarker());
}

bool Scanner::ParseDatePart(double& date) {
    const std::string_view pattern = formats_.ShortDatePattern;
    const DateOrder order = DateOrderOf(pattern);
    if (!pattern.empty() && pattern.front() == 'g') {
        SkipToDigit();  // an era name in front of the numbers
    }
    std::uint16_t first = 0;
    std::uint16_t second = 0;
    if (!ReadNumber(first) || !ReadMark(formats_.DateMark) || !ReadNumber(second)) {
        return false;
    }
    std::uint16_t year = 0;
    std::uint16_t month = 0;
    std::uint16_t day = 0;
    if (ReadMark(formats_.DateMark)) {
        std::uint16_t third = 0;
        if (!ReadNumber(third)) {
            return false;
        }
        switch (order) {
            case DateOrder::MonthDayYear:
                month = first, day = second, year = third;
                break;
            case DateOrder::DayMonthYear:
                day = first, month = second, year = third;
                break;
            case DateOrder::YearMonthDay:
                year = first, month = second, day = third;
                break;
        }
        if (year <= 99) {
            year = static_cast<std::uint16_t>(year + CurrentLocalYear() / 100 * 100);
        }
    } else {
        year = CurrentLocalYear();
        if (order == DateOrder::DayMonthYear) {
            day = first, month = second;
        } else {
            month = first, day = second;
        }
    }
    ReadMark(formats_.DateMark);
    SkipBlanks();
    if (CurrentSystemLocale().DoubleByteSystem && pattern.find("ddd") != std::string_view::npos) {
        const std::string_view timePattern = formats_.ShortTimePattern;
        if (!timePattern.empty() && IsDigit(timePattern.front())) {
            SkipToDigit();
        } else {
            SkipWordsToMarker();
        }
    }
    const auto number = DayNumberOf(year, month, day);
    if (!number) {
        return false;
    }
    date = *number;
    return true;
}

bool Scanner::ParseTimePart(double& time) {
    int base = ReadDayHalf();
    if (base >= 0) {
        SkipBlanks();
    }
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    if (!ReadNumber(hour)) {
        return false;
    }
    if (ReadMark(formats_.TimeMark)) {
        if (!ReadNumber(minute)) {
            return false;
        }
        if (ReadMark(formats_.TimeMark) && !ReadNumber(second)) {
            return false;
        }
    }
    if (base < 0) {
        base = ReadDayHalf();
    }
    if (base >= 0) {
        if (hour < 1 || hour > 12) {
            return false;
        }
        hour = static_cast<std::uint16_t>((hour == 12 ? 0 : hour) + base);
    }
    SkipBlanks();
    const auto fraction = DayFractionOf(hour, minute, second, 0);
    if (!fraction) {
        return false;
    }
    time = *fraction;
    return true;
}

}  // namespace

TDateTime ParseDateTime(std::string_view text) {
    const std::shared_ptr<const LocaleFormats> formats = CurrentLocaleFormats();
    Scanner scanner(text, *formats);
    double date = 0;
    double time = 0;
    if (!scanner.ParseDatePart(date) || (!scanner.AtEnd() && !scanner.ParseTimePart(time))) {
        throw EConvertError("'" + std::string(text) + "' は日付または時刻ではありません");
    }
    return date >= 0 ? date + time : date - time;
}

}  // namespace zelk
