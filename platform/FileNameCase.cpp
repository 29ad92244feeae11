#include "platform/FileNameCase.h"

#include <algorithm>

#include "platform/AsciiCase.h"

namespace zelk {

// Every byte of a multi-byte character lies above the ASCII letters, so mapping byte by byte
// keeps such characters whole.
std::string FileNameToLower(std::string_view text) {
    std::string result(text);
    std::ranges::transform(result, result.begin(), AsciiToLower);
    return result;
}

std::string FileNameToUpper(std::string_view text) {
    std::string result(text);
    std::ranges::transform(result, result.begin(), AsciiToUpper);
    return result;
}

}  // namespace zelk
