#pragma once
// The one-line strip above a zoomed graph: the path from the drive's root down to the shown
// directory, one button per directory name; a click shows that directory. Deep paths keep the
// drive's root and the nearest directories above the shown one.

#include <QWidget>
#include <functional>
#include <vector>

#include "scan/TFileAttr.h"

class QHBoxLayout;
class QToolButton;

namespace zelk {

class GraphPathStrip : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kNearest = 15;

    explicit GraphPathStrip(QWidget* parent = nullptr);

    // Hidden for nullptr or the root itself.
    void ShowPath(const TFileAttr* root, const TFileAttr* shown);
    // The directories of the buttons, left to right.
    const std::vector<const TFileAttr*>& Parts() const { return parts_; }
    QToolButton* Button(std::size_t part) const { return buttons_.at(part); }

    std::function<void(const TFileAttr&)> OnPick;

  private:
    QHBoxLayout* row_;
    std::vector<const TFileAttr*> parts_;
    std::vector<QToolButton*> buttons_;
};

}  // namespace zelk
