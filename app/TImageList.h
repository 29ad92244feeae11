#pragma once
// A list of same-sized pictures that controls refer to by index.

#include <QPixmap>
#include <vector>

namespace zelk {

class TImageList {
  public:
    TImageList(int width, int height) : width_(width), height_(height) {}

    int Add(const QPixmap& picture);
    int Count() const { return static_cast<int>(pictures_.size()); }
    // A null picture for an index that holds none.
    QPixmap Picture(int index) const;
    int Width() const { return width_; }
    int Height() const { return height_; }

  private:
    int width_;
    int height_;
    std::vector<QPixmap> pictures_;
};

}  // namespace zelk
