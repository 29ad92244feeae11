#include "runtime/FloatText.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "runtime/DecimalDigits.h"

namespace zelk {
namespace {

// "$" is the currency symbol, "*" the grouped number.
constexpr std::string_view kPositiveTemplates[] = {"$*", "*$", "$ *", "* $"};
constexpr std::string_view kNegativeTemplates[] = {"($*)", "-$*",  "$-*",   "$*-",  "(*$)", "-*$",
                                                   "*-$",  "*$-",  "-* $",  "-$ *", "* $-", "$ *-",
                                                   "$ -*", "*- $", "($ *)", "(* $)"};

// A mark read from an empty item is the zero byte: it stands for no mark at all.
void PutMark(TextBuffer& out, char mark) {
    if (mark != '\0') {
        out.Put(mark);
    }
}

char DigitAt(const DecimalDigits& digits, int index) {
    return index < digits.Count ? digits.Digits[index] : '0';
}

// The unsigned number with exactly `decimals` digits after the mark; group is '\0' for none.
void WriteNumber(TextBuffer& out, const DecimalDigits& digits, int decimals, char decimalMark,
                 char group) {
    const int exponent = digits.Exponent;
    if (exponent <= 0) {
        out.Put('0');
    } else {
        for (int i = 0; i < exponent; ++i) {
            if (group != '\0' && i > 0 && (exponent - i) % 3 == 0) {
                out.Put(group);
            }
            out.Put(DigitAt(digits, i));
        }
    }
    if (decimals <= 0) {
        return;
    }
    PutMark(out, decimalMark);
    const int zeros = exponent < 0 ? std::min(-exponent, decimals) : 0;
    out.Fill('0', static_cast<std::size_t>(zeros));
    const int first = std::max(exponent, 0);
    for (int i = 0; i < decimals - zeros; ++i) {
        out.Put(DigitAt(digits, first + i));
    }
}

void WriteInteger(TextBuffer& out, int value) {
    char text[12];
    out.Put(std::string_view(text, std::to_chars(text, text + sizeof text, value).ptr));
}

void WriteGeneral(TextBuffer& out, const DecimalDigits& digits, char decimalMark) {
    if (digits.Negative) {
        out.Put('-');
    }
    if (digits.Count == 0) {
        out.Put('0');
        return;
    }
    out.Put(digits.Digits[0]);
    if (digits.Count > 1) {
        PutMark(out, decimalMark);
        out.Put(std::string_view(digits.Digits + 1, digits.Count - 1U));
    }
    out.Put('E');
    WriteInteger(out, digits.Exponent - 1);
}

void WriteCurrency(TextBuffer& out, const DecimalDigits& digits, int decimals,
                   const LocaleFormats& formats) {
    const std::string_view pattern =
        digits.Negative ? kNegativeTemplates[std::min<int>(formats.NegativeCurrencyPlacement, 15)]
                        : kPositiveTemplates[std::min<int>(formats.CurrencyPlacement, 3)];
    for (const char place : pattern) {
        if (place == '$') {
            out.Put(formats.CurrencySymbol);
        } else if (place == '*') {
            WriteNumber(out, digits, decimals, formats.DecimalMark, formats.GroupMark);
        } else {
            out.Put(place);
        }
    }
}

int DecimalsToWrite(const DecimalDigits& digits, int decimals) {
    return decimals == DecimalDigits::kNoLimit ? std::max(0, digits.Count - digits.Exponent)
                                               : decimals;
}

}  // namespace

void WriteFloatText(TextBuffer& out, long double value, FloatForm form, int precision, int decimals,
                    const LocaleFormats& formats) {
    const DecimalDigits digits(value, precision, decimals);
    if (digits.IsInfinite()) {
        out.Put("INF");
        return;
    }
    if (digits.IsNotANumber()) {
        out.Put("NAN");
        return;
    }
    if (form == FloatForm::General ||
        digits.Exponent > std::clamp(precision, 2, DecimalDigits::kMaxDigits)) {
        WriteGeneral(out, digits, formats.DecimalMark);
        return;
    }
    if (form == FloatForm::Currency) {
        WriteCurrency(out, digits, DecimalsToWrite(digits, decimals), formats);
        return;
    }
    if (digits.Negative) {
        out.Put('-');
    }
    WriteNumber(out, digits, DecimalsToWrite(digits, decimals), formats.DecimalMark, '\0');
}

std::string FloatText(long double value, FloatForm form, int precision, int decimals,
                      const LocaleFormats& formats) {
    // Decimals without a limit stop at the last significant digit, at most this far out.
    constexpr std::size_t kLongestFraction = 5000;
    const std::size_t fraction = decimals == DecimalDigits::kNoLimit
                                     ? kLongestFraction
                                     : static_cast<std::size_t>(std::max(decimals, 0));
    std::string text(64 + formats.CurrencySymbol.size() + fraction, '\0');
    TextBuffer out(text.data(), text.size());
    WriteFloatText(out, value, form, precision, decimals, formats);
    text.resize(out.Size());
    return text;
}

std::string FloatText(long double value, FloatForm form, int precision, int decimals) {
    return FloatText(value, form, precision, decimals, *CurrentLocaleFormats());
}

}  // namespace zelk
