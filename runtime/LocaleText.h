#pragma once
// The character rule of the system locale: on a multi-byte system a lead byte starts a character
// that no text rule splits; otherwise every byte is a character.

#include <cstddef>
#include <string_view>

namespace zelk {

// Length in bytes of the character at pos (pos < text.size()).
std::size_t LocaleCharLength(std::string_view text, std::size_t pos);

// The longest start of text of at most limit bytes that ends on a character boundary.
std::string_view CutAtCharacter(std::string_view text, std::size_t limit);

}  // namespace zelk
