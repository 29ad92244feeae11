#pragma once
// The desktop's alternate calendar: Japanese eras, from 明治 (1868-01-01) to 令和 (2019-05-01).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelk {

// The date written by an alternate-calendar picture: a run of "g" is the era name; a run of two
// "y" is the era year filled to two digits, any other run of "y" the era year unfilled; other
// bytes stand for themselves. Nothing for a date that is no calendar date or lies before the
// first era.
std::optional<std::string> EraDateText(std::uint16_t year, std::uint16_t month, std::uint16_t day,
                                       std::string_view picture);

}  // namespace zelk
