#include "app/GraphPage.h"

#include <QBoxLayout>
#include <QEvent>
#include <QFontMetrics>
#include <QTimer>
#include <algorithm>
#include <climits>

#include "app/ErrorGuard.h"
#include "app/GraphGrowth.h"
#include "app/GraphInput.h"
#include "app/GraphLayout.h"
#include "app/GraphPainter.h"
#include "app/GraphPathStrip.h"
#include "app/GraphTexts.h"
#include "app/TPaintBox.h"
#include "app/TTreeView.h"
#include "app/TreeListing.h"
#include "app/WideListIndex.h"

namespace zelk {
namespace {

// A readable column: about eight average characters and the label's outline and gap.
constexpr int kColumnChars = 8;
constexpr int kLabelMargin = 3;
// Children looked at per paint or hit test when far from the kept columns: a few milliseconds.
constexpr std::size_t kWorkPerCall = 65536;

// Whether record is top or below it, walking no further up than their levels apart.
bool Below(const TFileAttr& record, const TFileAttr& top) {
    if (top.Parent == nullptr) {
        return true;  // everything of the tree is below its root
    }
    const TFileAttr* up = &record;
    while (up != nullptr && up->Level > top.Level) {
        up = up->Parent;
    }
    return up == &top;
}

}  // namespace

GraphPage::GraphPage(QWidget& page, TPaintBox& surface, TTreeView& tree, WideListIndex& index)
    : QObject(&page),
      page_(page),
      surface_(surface),
      tree_(tree),
      index_(index),
      strip_(new GraphPathStrip(&page)),
      scroll_(new GraphScrollBar(&page)),
      input_(new GraphInput(*this, surface)),
      description_(surface.accessibleDescription()) {
    if (auto* column = qobject_cast<QBoxLayout*>(page.layout())) {
        column->insertWidget(0, strip_);
        column->addWidget(scroll_);
    }
    surface_.installEventFilter(this);
    page_.installEventFilter(this);
    strip_->OnPick = [this](const TFileAttr& record) { Zoom(&record); };
    connect(scroll_, &QScrollBar::valueChanged, this, [this] { surface_.Invalidate(); });
    connect(tree_.selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { Guarded([this] { TreeCurrentChanged(); }); });
}

GraphPage::~GraphPage() = default;

int GraphPage::MinColumnWidth() const {
    return kColumnChars * QFontMetrics(surface_.font()).averageCharWidth() + kLabelMargin;
}

const TFileAttr* GraphPage::Shown() const {
    const TFileAttr* root = ShownRoot ? ShownRoot() : nullptr;
    if (root == nullptr || !root->Searched) {
        return nullptr;
    }
    return zoom_ != nullptr ? zoom_ : root;
}

GraphLayout GraphPage::Layout() const {
    return GraphLayout(*Shown(), zoom_ != nullptr ? zoomColour_ : 0, surface_.Width(),
                       surface_.Height(), MinColumnWidth(), &index_, kWorkPerCall);
}

void GraphPage::Paint() {
    if (Shown() == nullptr) {
        return;
    }
    GraphLayout layout = Layout();
    const int scroll =
        static_cast<int>(std::min<std::int64_t>(scroll_->value(), layout.GraphWidth()));
    GraphPainter painter(surface_.Canvas(), layout, scroll, surface_.Width());
    painter.SetGrowth(Comparing());
    bool done = painter.Paint();
    const int column = std::max(layout.ColumnWidth(), 1);
    const int level = selected_ != nullptr ? layout.LevelOf(*selected_) : -1;
    if (done && level >= 0 && level < layout.Levels() && level >= scroll / column - 1 &&
        level <= (scroll + surface_.Width()) / column) {
        GraphBar bar{};
        if (layout.BarOf(*selected_, bar)) {
            painter.DrawOutline(bar);
        }
        done = layout.BarsAt(level) != nullptr;
    }
    if (!done) {
        // Far from the kept columns: the rest comes in the next paints, a step in each.
        QTimer::singleShot(0, this, [this] { surface_.Invalidate(); });
    }
}

void GraphPage::UpdateRange() {
    if (Shown() == nullptr) {
        scroll_->Fit(nullptr, surface_.Width());
        return;
    }
    const GraphLayout layout = Layout();
    scroll_->Fit(&layout, surface_.Width());
}

void GraphPage::ScrollTo(const TFileAttr& record) {
    if (Shown() != nullptr) {
        scroll_->Reveal(Layout(), record, surface_.Width());
    }
}

void GraphPage::Select(const TFileAttr* record, bool inTree) {
    selected_ = record;
    if (record != nullptr && inTree && ShownRoot && ShownRoot() != nullptr) {
        selecting_ = true;
        tree_.SelectNode(NodeOf(tree_, *ShownRoot(), *record));
        selecting_ = false;
    }
    if (record != nullptr && page_.isVisible()) {
        ScrollTo(*record);
    }
    Described();
    surface_.Invalidate();
}

void GraphPage::Zoom(const TFileAttr* record) {
    const TFileAttr* root = ShownRoot ? ShownRoot() : nullptr;
    if (record == root) {
        record = nullptr;
    }
    // The colour from what is known already where it can be: a deep path is long to walk.
    int colour = 0;
    GraphBar bar{};
    if (record == nullptr) {
        colour = 0;
    } else if (zoom_ != nullptr && Below(*zoom_, *record)) {
        colour = (zoomColour_ + 8 - GraphLayout::PathColour(*zoom_, record)) % 8;
    } else if (Shown() != nullptr && Layout().BarOf(*record, bar)) {
        colour = bar.colour;
    } else {
        colour = GraphLayout::PathColour(*record);
    }
    zoom_ = record;
    zoomColour_ = colour;
    strip_->ShowPath(root, zoom_);
    UpdateRange();
    scroll_->setValue(0);
    if (selected_ != nullptr && zoom_ != nullptr && !Below(*selected_, *zoom_)) {
        Select(zoom_);  // the keys start from the picture
    }
    surface_.Invalidate();
}

const GraphGrowth* GraphPage::Comparing() const {
    const GraphGrowth* growth = Growth ? Growth() : nullptr;
    return growth != nullptr && growth->KindOf && growth->TextOf ? growth : nullptr;
}

void GraphPage::GrowthChanged() {
    Described();
    surface_.Invalidate();
}

void GraphPage::Described() {
    surface_.setAccessibleDescription(GraphTexts::Description(
        selected_, ShownRoot ? ShownRoot() : nullptr, Comparing(), description_));
}

QString GraphPage::ToolTipOf(const TFileAttr& record) const {
    return GraphTexts::ToolTip(ShownRootPath ? ShownRootPath() : std::string(), *ShownRoot(),
                               record, Comparing());
}

bool GraphPage::Pictured(const TFileAttr& record) const {
    const TFileAttr* shown = Shown();
    return shown != nullptr && Below(record, *shown);
}

bool GraphPage::BarCorner(const TFileAttr& record, QPoint& corner) {
    if (Shown() == nullptr) {
        return false;
    }
    GraphLayout layout = Layout();
    GraphBar bar{};
    if (!layout.BarOf(record, bar)) {
        return false;
    }
    const std::int64_t x =
        static_cast<std::int64_t>(layout.LevelOf(record)) * layout.ColumnWidth() - scroll_->value();
    if (x < 0 || x >= surface_.Width()) {
        return false;
    }
    corner = QPoint(static_cast<int>(x), bar.top);
    return true;
}

const TFileAttr* GraphPage::RecordAt(QPoint point) {
    if (Shown() == nullptr) {
        return nullptr;
    }
    GraphLayout layout = Layout();
    const std::int64_t x = static_cast<std::int64_t>(point.x()) + scroll_->value();
    if (point.x() < 0 || layout.ColumnWidth() <= 0) {
        return nullptr;
    }
    return layout.RecordAt(static_cast<int>(std::min<std::int64_t>(
                               x / layout.ColumnWidth(), static_cast<std::int64_t>(INT_MAX))),
                           point.y());
}

void GraphPage::TreeCurrentChanged() {
    const TFileAttr* root = ShownRoot ? ShownRoot() : nullptr;
    if (selecting_ || root == nullptr || !root->Searched) {
        return;
    }
    const TTreeNode* node = tree_.Model().NodeOf(tree_.currentIndex());
    Select(node != nullptr ? RecordOf(*root, *node) : nullptr, false);
}

bool GraphPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &page_ && event->type() == QEvent::Show && selected_ != nullptr) {
        Guarded([this] { ScrollTo(*selected_); });
    } else if (watched == &surface_ && event->type() == QEvent::Resize) {
        Guarded([this] { UpdateRange(); });
    }
    return false;
}

void GraphPage::TreeDropping() {
    if (!remembered_) {
        zoomPath_.Remember(zoom_);
        selectedPath_.Remember(selected_);
        remembered_ = true;
    }
    zoom_ = nullptr;
    selected_ = nullptr;
    strip_->ShowPath(nullptr, nullptr);
    Described();
    UpdateRange();
}

void GraphPage::TreeChanged() {
    if (remembered_) {
        remembered_ = false;
        const TFileAttr* root = ShownRoot ? ShownRoot() : nullptr;
        zoom_ = zoomPath_.FindIn(root);
        selected_ = selectedPath_.FindIn(root);
    }
    const int scroll = scroll_->value();
    Zoom(zoom_);  // the path's colour may have changed with the order
    scroll_->setValue(scroll);
    Described();
}

}  // namespace zelk
