#include "platform/FileNameCase.h"

#include "platform/Utf8Text.h"

namespace zelk {
namespace {

std::string MapLatin(std::string_view text, char from, char to) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = CharLengthAt(text, pos);
        if (length == 1 && text[pos] >= from && text[pos] <= from + 25) {
            result += static_cast<char>(text[pos] - from + to);
        } else {
            result.append(text.substr(pos, length));
        }
        pos += length;
    }
    return result;
}

}  // namespace

std::string FileNameToLower(std::string_view text) {
    return MapLatin(text, 'A', 'a');
}

std::string FileNameToUpper(std::string_view text) {
    return MapLatin(text, 'a', 'A');
}

}  // namespace zelk
