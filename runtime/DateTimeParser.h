#pragma once
// Text read back into a date-time value by the locale's date order, marks and time markers.

#include <string_view>

#include "runtime/DateCalendar.h"

namespace zelk {

// A date, optionally followed by a time; raises EConvertError for any other text. Years of 99
// or less are taken in the century of the local clock's current year.
TDateTime ParseDateTime(std::string_view text);

}  // namespace zelk
