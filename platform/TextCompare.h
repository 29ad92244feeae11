#pragma once
// Equality of short texts such as time markers, the way the desktop compares them when told to
// ignore case: the Latin letters A to Z match a to z, every other byte must be the same.

#include <string_view>

namespace zelk {

bool SameTextIgnoringCase(std::string_view a, std::string_view b);

}  // namespace zelk
