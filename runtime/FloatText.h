#pragma once
// Writes a floating-point value as fixed, currency or general text with the locale's marks,
// currency symbol and currency templates.

#include <string>

#include "runtime/LocaleFormats.h"
#include "runtime/TextBuffer.h"

namespace zelk {

enum class FloatForm { Fixed, Currency, General };

// precision: significant digits, 2 to 18; decimals: digits after the decimal mark, or
// DecimalDigits::kNoLimit for every significant digit. Reads the settings in force.
std::string FloatText(long double value, FloatForm form, int precision, int decimals);
std::string FloatText(long double value, FloatForm form, int precision, int decimals,
                      const LocaleFormats& formats);

// The same text appended to out; what does not fit leaves out overflowed. With decimals of 18
// or fewer the text takes at most 64 bytes plus the currency symbol.
void WriteFloatText(TextBuffer& out, long double value, FloatForm form, int precision, int decimals,
                    const LocaleFormats& formats);

}  // namespace zelk
