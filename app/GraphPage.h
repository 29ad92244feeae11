#pragma once
// The graph page's behaviour: the graph scrolls sideways when its columns need more room than
// the page has; it can show any directory as its root (zoom); a directory of it can be
// selected, in step with the tree's current node, and the selected bar is outlined and the
// surface's accessible description reads its node text. The mouse and keys are GraphInput's.

#include <QObject>
#include <QString>
#include <functional>
#include <string>

#include "app/GraphScrollBar.h"
#include "app/RememberedRecord.h"
#include "scan/TFileAttr.h"

class QEvent;
class QPoint;
class QWidget;

namespace zelk {

class GraphInput;
class GraphGrowth;
class GraphLayout;
class GraphPathStrip;
class TPaintBox;
class TTreeView;
class WideListIndex;

class GraphPage : public QObject {
    Q_OBJECT
  public:
    // Adds the strip above and the scroll bar below surface, which fills page's layout.
    GraphPage(QWidget& page, TPaintBox& surface, TTreeView& tree, WideListIndex& index);
    ~GraphPage() override;

    // The drive's root as the window holds it, finished or not, and the real path it was
    // scanned at (an opened file's root name).
    std::function<const TFileAttr*()> ShownRoot;
    std::function<std::string()> ShownRootPath;
    // While the shown tree is compared with an earlier scan, else nullptr or empty.
    std::function<const GraphGrowth*()> Growth;
    // A comparison began or ended: the picture and the description follow.
    void GrowthChanged();

    // The surface's paint handler.
    void Paint();
    // Before the shown records go: the zoom and the selection are remembered by their names.
    void TreeDropping();
    // After the tree is listed again: a remembered zoom or selection whose directory still
    // exists is kept, else the graph goes back to the root (and nothing is selected).
    void TreeChanged();

    // nullptr selects nothing; inTree also makes its node the tree's current one.
    void Select(const TFileAttr* record, bool inTree = true);
    // nullptr or the drive's root shows the whole drive.
    void Zoom(const TFileAttr* record);
    const TFileAttr* Selected() const { return selected_; }
    // The root of the picture (the drive's root when not zoomed), nullptr before a finished scan.
    const TFileAttr* Shown() const;
    // record is the picture's root or below it.
    bool Pictured(const TFileAttr& record) const;
    const TFileAttr* RecordAt(QPoint point);
    // The top left corner of record's bar on the surface; false when it is not in view.
    bool BarCorner(const TFileAttr& record, QPoint& corner);
    // The real path on one line and the node text on the next.
    QString ToolTipOf(const TFileAttr& record) const;

    QScrollBar& ScrollBar() const { return *scroll_; }
    GraphPathStrip& Strip() const { return *strip_; }
    GraphInput& Input() const { return *input_; }
    int MinColumnWidth() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void TreeCurrentChanged();
    void UpdateRange();
    void ScrollTo(const TFileAttr& record);
    void Described();
    const GraphGrowth* Comparing() const;
    GraphLayout Layout() const;

    QWidget& page_;
    TPaintBox& surface_;
    TTreeView& tree_;
    WideListIndex& index_;
    GraphPathStrip* strip_;
    GraphScrollBar* scroll_;
    GraphInput* input_;
    QString description_;  // the surface's own, read while nothing is selected
    const TFileAttr* zoom_ = nullptr;
    int zoomColour_ = 0;
    const TFileAttr* selected_ = nullptr;
    bool selecting_ = false;  // the tree's current node is being set from here
    // Across a change of the shown tree.
    bool remembered_ = false;
    RememberedRecord zoomPath_;
    RememberedRecord selectedPath_;
};

}  // namespace zelk
