#include "app/GraphGrowth.h"

namespace zelk {

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
