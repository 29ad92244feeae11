#include "runtime/DecimalDigits.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "runtime/ExactScaling.h"

namespace zelk {
namespace {

static_assert(std::numeric_limits<long double>::digits == 64,
              "the digit conversion reads the x87 extended format");

using u128 = unsigned __int128;

constexpr std::uint64_t kPow10[20] = {1ULL,
                                      10ULL,
                                      100ULL,
                                      1000ULL,
                                      10000ULL,
                                      100000ULL,
                                      1000000ULL,
                                      10000000ULL,
                                      100000000ULL,
                                      1000000000ULL,
                                      10000000000ULL,
                                      100000000000ULL,
                                      1000000000000ULL,
                                      10000000000000ULL,
                                      100000000000000ULL,
                                      1000000000000000ULL,
                                      10000000000000000ULL,
                                      100000000000000000ULL,
                                      1000000000000000000ULL,
                                      10000000000000000000ULL};
constexpr std::uint64_t kLow18 = kPow10[17];   // smallest 18-digit number
constexpr std::uint64_t kHigh18 = kPow10[18];  // smallest 19-digit number

enum class Kind { Zero, Finite, Infinite, NotANumber };

struct Parts {
    Kind kind = Kind::Zero;
    bool negative = false;
    std::uint64_t mantissa = 0;  // top bit set for a finite value
    int exponent = 0;            // value = mantissa * 2^exponent
};

Parts Decode(long double value) {
    std::uint64_t mantissa;
    std::uint16_t signExponent;
    unsigned char bytes[sizeof(long double)];
    std::memcpy(bytes, &value, sizeof value);
    std::memcpy(&mantissa, bytes, 8);
    std::memcpy(&signExponent, bytes + 8, 2);
    Parts parts;
    parts.negative = (signExponent & 0x8000) != 0;
    const int biased = signExponent & 0x7FFF;
    const bool integerBit = (mantissa >> 63) != 0;
    if (biased == 0x7FFF) {
        parts.kind = integerBit && (mantissa << 1) == 0 ? Kind::Infinite : Kind::NotANumber;
    } else if (biased == 0) {
        parts.kind = Kind::Zero;  // subnormals count as zero
    } else if (!integerBit) {
        parts.kind = Kind::NotANumber;  // an unnormal is no number the processor accepts
    } else {
        parts.kind = Kind::Finite;
        parts.mantissa = mantissa;
        parts.exponent = biased - 16383 - 63;
    }
    return parts;
}

// floor(log10 of the value) + 1 for some value in [2^log2, 2^(log2+1)); the true count of
// integer digits is this or one more.
int EstimateDecimalExponent(int log2) {
    return static_cast<int>(std::floor(log2 * 0.30102999566398120)) + 1;
}

// floor(mantissa * 2^exponent * 10^scale) and the rounding it needs, when 128 bits hold it
// exactly. Returns false when the slower path must decide.
bool ScaleFast(std::uint64_t mantissa, int exponent, int scale, std::uint64_t& floor,
               std::uint64_t& rounded) {
    if (exponent >= 0 || exponent < -127 || scale < 0 || scale > 19) {
        return false;
    }
    const int shift = -exponent;
    const u128 product = static_cast<u128>(mantissa) * kPow10[scale];
    const u128 quotient = product >> shift;
    if (quotient >= static_cast<u128>(kHigh18) * 10) {
        return false;
    }
    const u128 remainder = product & ((static_cast<u128>(1) << shift) - 1);
    const u128 half = static_cast<u128>(1) << (shift - 1);
    floor = static_cast<std::uint64_t>(quotient);
    const bool up = remainder > half || (remainder == half && (floor & 1) != 0);
    rounded = floor + (up ? 1 : 0);
    return true;
}

// The 18 significant digits of mantissa * 2^exponent, rounded to nearest with ties to even,
// as an integer of 10^17 to 10^18 - 1 and the decimal exponent that goes with it.
void SignificantDigits(std::uint64_t mantissa, int exponent, std::uint64_t& digits,
                       int& decimalExponent) {
    int e = EstimateDecimalExponent(exponent + 63);
    for (;;) {
        std::uint64_t floor = 0;
        std::uint64_t rounded = 0;
        const int scale = DecimalDigits::kMaxDigits - e;
        if (!ScaleFast(mantissa, exponent, scale, floor, rounded)) {
            ScaleExact(mantissa, exponent, scale, floor, rounded);
        }
        if (floor >= kHigh18) {
            ++e;
            continue;
        }
        if (floor < kLow18) {
            --e;
            continue;
        }
        if (rounded == kHigh18) {
            rounded = kLow18;
            ++e;
        }
        digits = rounded;
        decimalExponent = e;
        return;
    }
}

}  // namespace

DecimalDigits::DecimalDigits(long double value, int precision, int decimals) {
    const Parts parts = Decode(value);
    switch (parts.kind) {
        case Kind::Zero:
            return;
        case Kind::Infinite:
            Exponent = kInfiniteMark;
            Negative = parts.negative;
            return;
        case Kind::NotANumber:
            Exponent = kNotANumberMark;
            return;
        case Kind::Finite:
            break;
    }
    precision = precision < 2 ? 2 : precision > kMaxDigits ? kMaxDigits : precision;
    // Rounding to 18 digits adds at most one to the larger estimate: a value far below the
    // cut is zero without working out its digits.
    if (decimals != kNoLimit && EstimateDecimalExponent(parts.exponent + 63) + 2 + decimals < 0) {
        return;
    }

    std::uint64_t significant = 0;
    int exponent = 0;
    SignificantDigits(parts.mantissa, parts.exponent, significant, exponent);
    char digits[kMaxDigits];
    std::to_chars(digits, digits + kMaxDigits, significant);  // exactly 18 digits

    int cut = decimals == kNoLimit ? precision : exponent + decimals;
    if (cut < 0) {
        return;
    }
    if (cut > precision) {
        cut = precision;
    }
    int count = cut;
    if (cut < kMaxDigits && digits[cut] >= '5') {
        // Half away from zero on the 18-digit form; nines that carry are dropped.
        while (count > 0 && digits[count - 1] == '9') {
            --count;
        }
        if (count == 0) {
            digits[0] = '1';
            count = 1;
            ++exponent;
        } else {
            ++digits[count - 1];
        }
    }
    while (count > 0 && digits[count - 1] == '0') {
        --count;
    }
    Exponent = static_cast<std::int16_t>(exponent);
    Negative = parts.negative;
    Count = static_cast<std::uint8_t>(count);
    std::memcpy(Digits, digits, static_cast<std::size_t>(count));
    Digits[count] = '\0';
}

}  // namespace zelk
