#pragma once
// Reading the locale settings from the platform's locale items: the three ways an item is read,
// the adaptation of the locale's date patterns and the built time patterns. The loaders
// themselves are declared with LocaleFormats.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/LocaleService.h"

namespace zelk {

// The item's text; the default only when the read fails (an empty item stays empty).
std::string ReadTextItem(LCTYPE item, std::string_view otherwise);
// The item's first byte, the zero byte for an empty item; the default when the read fails or
// the item is longer than one byte.
char ReadCharItem(LCTYPE item, char otherwise);
// The item as a decimal integer ("0" when the read fails, 0 when it is no number), in one byte.
std::uint8_t ReadNumberItem(LCTYPE item);

// A decimal integer with an optional sign, or otherwise when text is anything else.
int TextToInt(std::string_view text, int otherwise);

// The locale's date pattern in the program's pattern language, by the calendar type and the
// system's language.
std::string AdaptDatePattern(std::string_view pattern);

struct TimePatterns {
    std::string ShortPattern;
    std::string LongPattern;
};
TimePatterns BuildTimePatterns();

}  // namespace zelk
