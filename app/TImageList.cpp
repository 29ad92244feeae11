#include "app/TImageList.h"

namespace zelk {

int TImageList::Add(const QPixmap& picture) {
    pictures_.push_back(picture);
    return Count() - 1;
}

QPixmap TImageList::Picture(int index) const {
    if (index < 0 || index >= Count()) {
        return {};
    }
    return pictures_[static_cast<std::size_t>(index)];
}

}  // namespace zelk
