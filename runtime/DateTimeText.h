#pragma once
// Date-time values written as text by the locale's date and time patterns.

#include <string>
#include <string_view>

#include "runtime/DateCalendar.h"

namespace zelk {

// The value written by a pattern of the date-time pattern language, at most 256 bytes; a
// character is never split at the cut. Reads the locale settings in force.
std::string ExpandDateTimePattern(std::string_view pattern, TDateTime value);

// The short date and, unless the time of day is 00:00:00 to the second, a blank and the long
// time: the pattern "c".
std::string DateTimeText(TDateTime value);

}  // namespace zelk
