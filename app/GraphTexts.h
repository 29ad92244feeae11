#pragma once
// The graph's texts of a directory: a bar's tooltip and the surface's accessible description,
// each with the directory's growth while the shown tree is compared.

#include <QString>
#include <string>

#include "scan/TFileAttr.h"

namespace zelk {

class GraphGrowth;

class GraphTexts {
  public:
    // The selected directory's node text (own while nothing is selected), and the legend of
    // the colours while compared.
    static QString Description(const TFileAttr* selected, const TFileAttr* root,
                               const GraphGrowth* growth, const QString& own);
    // The real path on one line and the node text on the next.
    static QString ToolTip(const std::string& rootPath, const TFileAttr& root,
                           const TFileAttr& record, const GraphGrowth* growth);
};

}  // namespace zelk
