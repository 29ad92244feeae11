#pragma once
// Letter case of file names and labels, the double-byte way: only the Latin letters A to Z and
// a to z change; a multi-byte character is copied whole, byte for byte.

#include <string>
#include <string_view>

namespace zelk {

std::string FileNameToLower(std::string_view text);
std::string FileNameToUpper(std::string_view text);

}  // namespace zelk
