#include "app/GraphTexts.h"

#include "app/GraphGrowth.h"
#include "app/TreeListing.h"
#include "scan/RealPath.h"

namespace zelk {
namespace {

QString Display(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QString GraphTexts::Description(const TFileAttr* selected, const TFileAttr* root,
                                const GraphGrowth* growth, const QString& own) {
    QString text = selected != nullptr && root != nullptr
                       ? Display(NodeText(*selected, *root) +
                                 (growth != nullptr ? growth->TextOf(*selected) : std::string()))
                       : own;
    if (growth != nullptr) {
        text += QLatin1Char('\n') + GraphGrowth::Legend();
    }
    return text;
}

QString GraphTexts::ToolTip(const std::string& rootPath, const TFileAttr& root,
                            const TFileAttr& record, const GraphGrowth* growth) {
    return Display(RealPathOf(rootPath, root, record)) + QLatin1Char('\n') +
           Display(NodeText(record, root) +
                   (growth != nullptr ? growth->TextOf(record) : std::string()));
}

}  // namespace zelk
