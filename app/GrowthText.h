#pragma once
// The brackets a compared tree adds after each node text: what the directory gained or lost
// since the baseline, with the digits grouped as the window's sizes are.

#include <limits>
#include <string>

namespace zelk {

// The growth of a directory the baseline lacks.
constexpr double kNewDirectory = std::numeric_limits<double>::quiet_NaN();

// " [+1,234,567]", " [-12,345]", " [±0]", or " [新規]" for kNewDirectory.
std::string GrowthBracket(double growth);
// " [削除 -12,345]" for a directory of that size then, which the tree lacks now.
std::string RemovedBracket(double sizeThen);

}  // namespace zelk
