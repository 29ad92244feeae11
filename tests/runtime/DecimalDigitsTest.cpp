// Guards the conversion of an extended-precision value to its 18 significant decimal digits
// (nearest, ties to even) and the cut to a number of decimals (half away from zero on those 18
// digits), against the C library's correctly rounded conversion.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "runtime/DecimalDigits.h"

namespace zelk {
namespace {

// "-0.123e4" for digits 123, exponent 4, negative.
std::string Written(const std::string& digits, int exponent, bool negative) {
    return (negative ? "-0." : "0.") + digits + "e" + std::to_string(exponent);
}

void DropTrailingZeros(std::string& digits) {
    digits.erase(digits.find_last_not_of('0') + 1);
}

std::string ReferenceDigits(long double v, int precision, int decimals) {
    if (v == 0 || std::fpclassify(v) == FP_SUBNORMAL) {
        return Written("", 0, false);
    }
    // The C library writes every long double exactly, rounded to nearest with ties to even.
    char text[64];
    std::snprintf(text, sizeof text, "%.17Le", std::fabs(v));  // d.ddd...de+x
    std::string digits = text[0] + std::string(text + 2, 17);
    int exponent = std::atoi(std::strchr(text, 'e') + 1) + 1;
    DropTrailingZeros(digits);
    const int cut =
        std::min(decimals == DecimalDigits::kNoLimit ? precision : exponent + decimals, precision);
    if (cut < 0) {
        return Written("", 0, false);
    }
    if (cut < static_cast<int>(digits.size())) {
        const bool up = digits[static_cast<std::size_t>(cut)] >= '5';
        digits.resize(static_cast<std::size_t>(cut));
        // Rounding up turns trailing nines into zeros, which are dropped anyway.
        while (up && !digits.empty() && digits.back() == '9') {
            digits.pop_back();
        }
        if (up && digits.empty()) {
            digits = "1";
            ++exponent;
        } else if (up) {
            ++digits.back();
        }
    }
    DropTrailingZeros(digits);
    return Written(digits, exponent, v < 0);
}

void ExpectMatchesReference(long double v, int precision, int decimals) {
    const DecimalDigits actual(v, precision, decimals);
    const std::string digits(actual.Digits, actual.Count);
    EXPECT_EQ(Written(digits, actual.Exponent, actual.Negative),
              ReferenceDigits(v, precision, decimals))
        << "value " << v << " precision " << precision << " decimals " << decimals;
    EXPECT_EQ(std::string(actual.Digits), digits);  // zero-terminated after the count
}

// Powers of ten and their neighbours, the double's integer limit, values just under 10^18
// (ties on the last digit go to the even neighbour, the odd one carries into a 19th digit),
// the limits of both types (the double's smallest subnormal is a normal long double), zero and
// subnormals (no digits and no sign, either way round), and
// 2^-n, which ends in a 5 at decimal n and so meets exactly one half when cut after n - 1.
TEST(DecimalDigits, BoundaryValuesAndHalvesMatchTheExactExpansion) {
    using L = std::numeric_limits<long double>;
    using D = std::numeric_limits<double>;
    const long double two53 = 9007199254740992.0L;
    // clang-format off
    std::vector<long double> values = {
        0.5L, 0.1L, 2.5L, 12.5L, 99.5L, 2.4999L, 1.0L / 3, two53 - 1, two53, two53 + 1, two53 + 2,
        999999999999999999.0L, 999999999999999999.5L, 999999999999999998.5L,
        999999999999999999.75L, 999999999999999999.25L, 99999999999999999.95L,
        123456789012345678.5L, 123456789012345677.5L, 1000000000000000005.0L,
        1000000000000000015.0L, L::max(), L::min(), D::max(), D::min(), D::denorm_min(), 0.0L,
        L::denorm_min(), L::min() / 2};
    // clang-format on
    long double power = 1;
    for (int k = 0; k <= 40; ++k, power *= 10) {
        for (const long double p : {power, 1 / power}) {
            values.insert(values.end(), {p, std::nextafter(p, 0.0L), std::nextafter(p, L::max())});
        }
    }
    for (const long double v : values) {
        ExpectMatchesReference(v, 18, DecimalDigits::kNoLimit);
        ExpectMatchesReference(-v, 18, DecimalDigits::kNoLimit);
        ExpectMatchesReference(v, 18, 0);
        ExpectMatchesReference(v, 18, 2);
        ExpectMatchesReference(v, 7, DecimalDigits::kNoLimit);
    }
    for (int n = 1; n <= 40; ++n) {
        const long double half = std::ldexp(1.0L, -n);
        for (const long double v : {half, 7 + half, 1234 + half, -half}) {
            ExpectMatchesReference(v, 18, n - 1);
        }
    }
    for (long double whole = 1; whole < 1e17L; whole = whole * 10 + 7) {
        ExpectMatchesReference(whole + 0.5L, 18, 0);
    }
}

// Full 64-bit mantissas near 1 and anywhere in the exponent range.
TEST(DecimalDigits, RandomValuesMatchTheExactExpansion) {
    std::mt19937_64 random(20261207);
    const auto value = [&](int from, int to) {
        return std::ldexp(static_cast<long double>(random() | (1ULL << 63)),
                          std::uniform_int_distribution<int>(from, to)(random));
    };
    for (int i = 0; i < 20000; ++i) {
        ExpectMatchesReference(value(-130, 70), 18, DecimalDigits::kNoLimit);
        ExpectMatchesReference(value(-130, 70), std::uniform_int_distribution<int>(2, 18)(random),
                               std::uniform_int_distribution<int>(-1, 20)(random));
    }
    for (int i = 0; i < 300; ++i) {
        ExpectMatchesReference(value(-16440, 16320), 18, DecimalDigits::kNoLimit);
    }
}

}  // namespace
}  // namespace zelk
