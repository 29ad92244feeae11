#include "platform/Utf8Text.h"

namespace zelk {
namespace {

constexpr bool IsLeadByte(unsigned char byte) {
    return byte >= 0xC2 && byte <= 0xF4;
}
constexpr bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

}  // namespace

std::size_t NonAsciiCharLengthAt(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (!IsLeadByte(lead)) {
        return 1;
    }
    const std::size_t length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    if (pos + length > text.size()) {
        return 1;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsContinuation(static_cast<unsigned char>(text[pos + i]))) {
            return 1;
        }
    }
    // Overlong three- and four-byte forms, surrogates and code points past U+10FFFF.
    const auto second = static_cast<unsigned char>(text[pos + 1]);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90)) {
        return 1;
    }
    return length;
}

std::string_view CutAtCharacter(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) {
        return text;
    }
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t next = end + CharLengthAt(text, end);
        if (next > limit) {
            break;
        }
        end = next;
    }
    return text.substr(0, end);
}

}  // namespace zelk
