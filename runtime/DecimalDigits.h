#pragma once
// A floating-point value in decimal form: 0.d1d2... x 10^Exponent, with at most 18 digits,
// cut and rounded for the number of decimals a text wants. Building one allocates nothing.

#include <cstdint>

namespace zelk {

struct DecimalDigits {
    static constexpr int kMaxDigits = 18;
    static constexpr int kNoLimit = -1;  // decimals: keep every significant digit
    static constexpr std::int16_t kInfiniteMark = INT16_MAX;
    static constexpr std::int16_t kNotANumberMark = INT16_MIN;

    std::int16_t Exponent = 0;
    bool Negative = false;
    std::uint8_t Count = 0;            // digits in Digits, none of them a trailing zero
    char Digits[kMaxDigits + 1] = {};  // ASCII, zero-terminated

    DecimalDigits() = default;
    // precision: significant digits kept, 2 to 18 (clamped); decimals: digits wanted after the
    // decimal point, 0 or more, or kNoLimit.
    DecimalDigits(long double value, int precision, int decimals);

    bool IsInfinite() const { return Exponent == kInfiniteMark; }
    bool IsNotANumber() const { return Exponent == kNotANumberMark; }
};

}  // namespace zelk
