#pragma once
// Exact scaling of a binary floating-point value by a power of ten, for the magnitudes that do
// not fit the 128-bit fast path of the digit conversion. Slow, but never rounds on the way.

#include <cstdint>

namespace zelk {

// floor := floor(mantissa * 2^exponent * 10^scale), saturated at UINT64_MAX; rounded := that
// value rounded to the nearest integer, ties to even. Covers every finite extended-precision
// value with a scale that brings it near 10^18.
void ScaleExact(std::uint64_t mantissa, int exponent, int scale, std::uint64_t& floor,
                std::uint64_t& rounded);

}  // namespace zelk
