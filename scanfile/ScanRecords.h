#pragma once
// What scan files share about records: a finished record made by hand (reading builds its records
// through the record sink), and the dates between the records' local date-time values and a
// file's Unix seconds.

#include <cstdint>
#include <string>

#include "scan/TFileAttr.h"

namespace zelk {

// A new, empty child record at the end of parent's children, one level below it.
TFileAttr& AddChildRecord(TFileAttr& parent, std::string name);

// The Unix time of a date-time value; false for 0 (no date) and for values with no calendar
// date.
bool SecondsOfDate(double date, std::int64_t& seconds);

}  // namespace zelk
