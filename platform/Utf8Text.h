#pragma once
// Texts are UTF-8 byte strings. A lead byte (0xC2 to 0xF4) and its continuation bytes form one
// character that no text rule splits; any byte that does not begin a valid sequence counts as a
// character of one byte.

#include <cstddef>
#include <string_view>

namespace zelk {

// CharLengthAt for a byte of 0x80 or above.
std::size_t NonAsciiCharLengthAt(std::string_view text, std::size_t pos);

// Length in bytes of the character that starts at pos (pos < text.size()); 1 for a byte that
// does not start a complete, valid sequence. Inline for ASCII: pattern loops call it per byte.
inline std::size_t CharLengthAt(std::string_view text, std::size_t pos) {
    return static_cast<unsigned char>(text[pos]) < 0x80 ? 1 : NonAsciiCharLengthAt(text, pos);
}

// The longest start of text of at most limit bytes that ends on a character boundary.
std::string_view CutAtCharacter(std::string_view text, std::size_t limit);

}  // namespace zelk
