#include "app/GraphGrowth.h"

#include <utility>

#include "app/GrowthText.h"

namespace zelk {

GraphGrowth GraphGrowth::Of(std::function<const ScanComparison*()> comparison) {
    GraphGrowth growth;
    growth.KindOf = [comparison](const TFileAttr& record) {
        const auto grown = comparison()->Growth(record, CurrentSizeBasis());
        return !grown       ? GrowthKind::New
               : *grown > 0 ? GrowthKind::Grown
               : *grown < 0 ? GrowthKind::Shrunk
                            : GrowthKind::Unchanged;
    };
    growth.TextOf = [comparison = std::move(comparison)](const TFileAttr& record) {
        return GrowthBracket(
            comparison()->Growth(record, CurrentSizeBasis()).value_or(kNewDirectory));
    };
    return growth;
}

QColor GraphGrowth::ColorOf(GrowthKind kind) {
    switch (kind) {
        case GrowthKind::Grown:
            return {213, 94, 0};  // vermillion
        case GrowthKind::Shrunk:
            return {0, 114, 178};  // blue
        case GrowthKind::New:
            return {240, 228, 66};  // yellow
        case GrowthKind::Unchanged:
            break;
    }
    return {187, 187, 187};  // grey
}

QString GraphGrowth::Legend() {
    return QString::fromUtf8("棒の色: 増加は朱色、減少は青、新規は黄色、変化なしは灰色");
}

}  // namespace zelk
