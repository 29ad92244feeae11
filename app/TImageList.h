#pragma once
// A list of same-sized pictures that controls refer to by index.

#include <QIcon>
#include <QPixmap>
#include <map>
#include <utility>
#include <vector>

namespace zelk {

class TImageList {
  public:
    TImageList(int width, int height) : width_(width), height_(height) {}

    int Add(const QPixmap& picture);
    int Count() const { return static_cast<int>(pictures_.size()); }
    // A null picture for an index that holds none.
    QPixmap Picture(int index) const;
    // The picture at normal for an item drawn as it is and the one at selected while it is
    // selected; made once per pair, since a tree asks for one on every row it paints.
    QIcon Icon(int normal, int selected) const;
    int Width() const { return width_; }
    int Height() const { return height_; }

  private:
    int width_;
    int height_;
    std::vector<QPixmap> pictures_;
    mutable std::map<std::pair<int, int>, QIcon> icons_;
};

}  // namespace zelk
