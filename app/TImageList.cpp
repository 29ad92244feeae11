#include "app/TImageList.h"

namespace zelk {

int TImageList::Add(const QPixmap& picture) {
    pictures_.push_back(picture);
    icons_.clear();
    return Count() - 1;
}

QPixmap TImageList::Picture(int index) const {
    if (index < 0 || index >= Count()) {
        return {};
    }
    return pictures_[static_cast<std::size_t>(index)];
}

QIcon TImageList::Icon(int normal, int selected) const {
    const auto key = std::make_pair(normal, selected);
    auto found = icons_.find(key);
    if (found == icons_.end()) {
        QIcon icon;
        if (const QPixmap picture = Picture(normal); !picture.isNull()) {
            icon.addPixmap(picture, QIcon::Normal);
        }
        if (const QPixmap picture = Picture(selected); !picture.isNull()) {
            icon.addPixmap(picture, QIcon::Selected);
        }
        found = icons_.emplace(key, icon).first;
    }
    return found->second;
}

}  // namespace zelk
