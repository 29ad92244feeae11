#pragma once
// The local clock's current year, read at each use. Tests fix it so that the century of
// two-digit years does not depend on the day they run.

#include <cstdint>

namespace zelk {

std::uint16_t CurrentLocalYear();

// Makes CurrentLocalYear answer year from now on; 0 goes back to the real clock.
void FixLocalYear(std::uint16_t year);

}  // namespace zelk
