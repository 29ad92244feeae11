#include "scanfile/ScanRecords.h"

#include <memory>

#include "platform/LocalTime.h"
#include "runtime/DateCalendar.h"

namespace zelk {

TFileAttr& AddChildRecord(TFileAttr& parent, std::string name) {
    auto child = std::make_unique<TFileAttr>();
    child->Parent = &parent;
    child->Level = parent.Level + 1;
    child->MaxLevel = child->Level;
    child->Name = std::move(name);
    child->Searched = true;
    parent.Children.push_back(std::move(child));
    return *parent.Children.back();
}

bool SecondsOfDate(double date, std::int64_t& seconds) {
    if (date == 0) {
        return false;
    }
    const CalendarDate day = CalendarDateOf(date);
    if (day.Year == 0) {
        return false;
    }
    const ClockTime time = ClockTimeOf(date);
    return SecondsOfLocalTime(
        LocalTime{day.Year, day.Month, day.Day, time.Hour, time.Minute, time.Second}, seconds);
}

}  // namespace zelk
