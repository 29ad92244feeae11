#pragma once
// Texts the application frame derives: its title from the program file, and the text of the
// error box from an error's message.

#include <string>
#include <string_view>

namespace zelk {

// The part after the last "/", cut at its first ".", every character after the first in ASCII
// lower case (multi-byte characters kept whole).
std::string AppTitleOf(std::string_view programFile);

// The message with "." appended unless it is empty or its last character (a multi-byte
// character counted whole) sorts up to "." in byte order.
std::string ErrorBoxText(std::string_view message);

}  // namespace zelk
