#include "app/GrowthText.h"

#include <cmath>

#include "app/TreeListing.h"

namespace zelk {
namespace {

// The sign is written here: the locale's negative currency form would bring its own.
std::string Signed(double value) {
    return (value < 0 ? "-" : "+") + FormatSize(std::fabs(static_cast<long double>(value)));
}

}  // namespace

std::string GrowthBracket(double growth) {
    if (std::isnan(growth)) {
        return " [新規]";
    }
    return growth == 0 ? " [±0]" : " [" + Signed(growth) + "]";
}

std::string RemovedBracket(double sizeThen) {
    return " [削除 -" + FormatSize(sizeThen) + "]";
}

}  // namespace zelk
