#pragma once
// What the graph shows of a comparison with an earlier scan: each bar keeps its height and place
// and takes the colour of what happened to its directory. The four colours are those of a
// palette made to stay apart for the common colour-vision deficiencies (Okabe and Ito's
// vermillion, blue and yellow) and a neutral grey; they differ in lightness too, so they read in
// grey as well.

#include <QColor>
#include <QString>
#include <functional>
#include <string>

#include "scan/ScanComparison.h"
#include "scan/TFileAttr.h"

namespace zelk {

enum class GrowthKind { Grown, Shrunk, New, Unchanged };

class GraphGrowth {
  public:
    // Both read only records of the tree shown, on the user-interface thread.
    std::function<GrowthKind(const TFileAttr&)> KindOf;
    // As the tree writes it after the node text, " [+1,234]".
    std::function<std::string(const TFileAttr&)> TextOf;

    // From the comparison shown (matched through), on the size basis installed when asked.
    static GraphGrowth Of(std::function<const ScanComparison*()> comparison);
    static QColor ColorOf(GrowthKind kind);
    // The colours by name, for the graph's accessible description.
    static QString Legend();
};

}  // namespace zelk
