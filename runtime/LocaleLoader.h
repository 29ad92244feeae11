#pragma once
// Reading the locale settings from the platform's locale items. The loaders themselves are
// declared with LocaleFormats; these are their parts that tests reach directly.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/LocaleService.h"

namespace zelk {

// The item as a decimal integer ("0" when the read fails, 0 when it is no number), in one byte.
std::uint8_t ReadNumberItem(LCTYPE item);

// The locale's date pattern in the program's pattern language, by the calendar type and the
// system's language.
std::string AdaptDatePattern(std::string_view pattern);

}  // namespace zelk
