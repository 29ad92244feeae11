#pragma once
// Case of the Latin letters A to Z only; every other byte, and so every byte of a multi-byte
// character, stays as it is.

namespace zelk {

constexpr char AsciiToLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr char AsciiToUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace zelk
