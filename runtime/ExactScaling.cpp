#include "runtime/ExactScaling.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace zelk {
namespace {

// Enough for 2 * 2^64 * 10^4970 and for 2 * 2^64 * 2^16384: the largest products the digit
// conversion asks for.
constexpr std::size_t kLimbs = 540;

// An unsigned integer in 32-bit limbs, lowest first; lives on the stack.
class FixedBig {
  public:
    explicit FixedBig(std::uint64_t value) {
        limbs_[0] = static_cast<std::uint32_t>(value);
        limbs_[1] = static_cast<std::uint32_t>(value >> 32);
        used_ = 2;
        Trim();
    }

    void MultiplySmall(std::uint32_t factor) {
        std::uint64_t carry = 0;
        for (std::size_t i = 0; i < used_; ++i) {
            const std::uint64_t product = static_cast<std::uint64_t>(limbs_[i]) * factor + carry;
            limbs_[i] = static_cast<std::uint32_t>(product);
            carry = product >> 32;
        }
        if (carry != 0) {
            limbs_[used_++] = static_cast<std::uint32_t>(carry);
        }
    }

    // Returns whether the division left a remainder.
    bool DivideSmall(std::uint32_t divisor) {
        std::uint64_t remainder = 0;
        for (std::size_t i = used_; i-- > 0;) {
            const std::uint64_t current = (remainder << 32) | limbs_[i];
            limbs_[i] = static_cast<std::uint32_t>(current / divisor);
            remainder = current % divisor;
        }
        Trim();
        return remainder != 0;
    }

    void ShiftLeft(int bits) {
        const std::size_t words = static_cast<std::size_t>(bits) / 32;
        const int rest = bits % 32;
        if (words > 0) {
            std::copy_backward(limbs_.begin(), limbs_.begin() + used_,
                               limbs_.begin() + used_ + words);
            std::fill(limbs_.begin(), limbs_.begin() + words, 0U);
            used_ += words;
        }
        if (rest > 0) {
            std::uint32_t carry = 0;
            for (std::size_t i = words; i < used_; ++i) {
                const std::uint32_t limb = limbs_[i];
                limbs_[i] = (limb << rest) | carry;
                carry = limb >> (32 - rest);
            }
            if (carry != 0) {
                limbs_[used_++] = carry;
            }
        }
    }

    // Returns whether any bit shifted out was set.
    bool ShiftRight(int bits) {
        const std::size_t words = static_cast<std::size_t>(bits) / 32;
        const int rest = bits % 32;
        bool lost = false;
        for (std::size_t i = 0; i < std::min(words, used_); ++i) {
            lost = lost || limbs_[i] != 0;
        }
        if (words >= used_) {
            used_ = 0;
            return lost;
        }
        std::copy(limbs_.begin() + words, limbs_.begin() + used_, limbs_.begin());
        used_ -= words;
        if (rest > 0) {
            lost = lost || (limbs_[0] & ((1U << rest) - 1)) != 0;
            for (std::size_t i = 0; i < used_; ++i) {
                const std::uint32_t next = i + 1 < used_ ? limbs_[i + 1] : 0;
                limbs_[i] = (limbs_[i] >> rest) | (next << (32 - rest));
            }
        }
        Trim();
        return lost;
    }

    // The value, or UINT64_MAX when it needs more than 64 bits.
    std::uint64_t Saturated() const {
        if (used_ > 2) {
            return UINT64_MAX;
        }
        const std::uint64_t low = used_ > 0 ? limbs_[0] : 0;
        const std::uint64_t high = used_ > 1 ? limbs_[1] : 0;
        return (high << 32) | low;
    }

  private:
    void Trim() {
        while (used_ > 0 && limbs_[used_ - 1] == 0) {
            --used_;
        }
    }

    std::array<std::uint32_t, kLimbs> limbs_{};
    std::size_t used_ = 0;
};

constexpr std::uint32_t kBillion = 1000000000U;
constexpr std::uint32_t kSmallPow10[9] = {1,      10,      100,      1000,     10000,
                                          100000, 1000000, 10000000, 100000000};

}  // namespace

void ScaleExact(std::uint64_t mantissa, int exponent, int scale, std::uint64_t& floor,
                std::uint64_t& rounded) {
    // Works on twice the value, so that the last bit tells whether the fraction reaches one
    // half; the remainders left on the way tell whether it passes it.
    FixedBig number(mantissa);
    number.ShiftLeft(1);
    if (exponent > 0) {
        number.ShiftLeft(exponent);
    }
    for (int left = scale; left > 0; left -= 9) {
        number.MultiplySmall(left >= 9 ? kBillion : kSmallPow10[left]);
    }
    bool beyondHalf = false;
    for (int left = -scale; left > 0; left -= 9) {
        beyondHalf = number.DivideSmall(left >= 9 ? kBillion : kSmallPow10[left]) || beyondHalf;
    }
    if (exponent < 0) {
        beyondHalf = number.ShiftRight(-exponent) || beyondHalf;
    }
    const std::uint64_t twice = number.Saturated();
    if (twice == UINT64_MAX) {
        floor = rounded = UINT64_MAX;
        return;
    }
    floor = twice >> 1;
    const bool halfReached = (twice & 1) != 0;
    rounded = floor + (halfReached && (beyondHalf || (floor & 1) != 0) ? 1 : 0);
}

}  // namespace zelk
