#include "app/DesignScaling.h"

#include <cstdint>

namespace zelk {

int MulDivRounded(int value, int numerator, int denominator) {
    // denominator > 0
    const std::int64_t product = static_cast<std::int64_t>(value) * numerator;
    const std::int64_t half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : -((-product + half) / denominator));
}

int FontPixelSizeFor(int dpi) {
    return MulDivRounded(kDesignTextHeight, dpi, kDesignDpi);
}

QRect ScaledDesignRect(const QRect& design, int textHeight) {
    if (textHeight == kDesignTextHeight) {
        return design;
    }
    const auto scale = [textHeight](int value) {
        return MulDivRounded(value, textHeight, kDesignTextHeight);
    };
    const int left = scale(design.x());
    const int top = scale(design.y());
    return {left, top, scale(design.x() + design.width()) - left,
            scale(design.y() + design.height()) - top};
}

}  // namespace zelk
