#include "app/GraphPage.h"

#include <QBoxLayout>
#include <QEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <climits>

#include "app/ErrorGuard.h"
#include "app/GraphGrowth.h"
#include "app/GraphLayout.h"
#include "app/GraphPainter.h"
#include "app/GraphPathStrip.h"
#include "app/TPaintBox.h"
#include "app/TTreeView.h"
#include "app/TreeListing.h"
#include "app/WideListIndex.h"
#include "scan/RealPath.h"

namespace zelk {
namespace {

// A readable column: about eight average characters and the label's outline and gap.
constexpr int kColumnChars = 8;
constexpr int kLabelMargin = 3;
// One notch of the wheel moves one column.
constexpr int kNotch = 120;
// Children looked at per paint or hit test when far from the kept columns: a few milliseconds.
constexpr std::size_t kWorkPerCall = 65536;

QString Display(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The sum of the colour steps from below up to record, modulo the eight colours.
int PathColour(const TFileAttr& record, const TFileAttr* below = nullptr) {
    std::size_t sum = 0;
    for (const TFileAttr* up = &record; up != below && up->Parent != nullptr; up = up->Parent) {
        sum = (sum + ChildIndex(*up) % 8) % 8;
    }
    return static_cast<int>(sum);
}

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
      scroll_(new QScrollBar(Qt::Horizontal, &page)),
      description_(surface.accessibleDescription()) {
    if (auto* column = qobject_cast<QBoxLayout*>(page.layout())) {
        column->insertWidget(0, strip_);
        column->addWidget(scroll_);
    }
    scroll_->setVisible(false);
    scroll_->setFocusPolicy(Qt::NoFocus);
    surface_.setFocusPolicy(Qt::StrongFocus);
    surface_.setMouseTracking(true);
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
    const TFileAttr* shown = Shown();
    std::int64_t range = 0;
    int column = 1;
    if (shown != nullptr) {
        const GraphLayout layout = Layout();
        range = std::clamp<std::int64_t>(layout.GraphWidth() - surface_.Width(), 0, INT_MAX);
        column = std::max(layout.ColumnWidth(), 1);
    }
    scroll_->setRange(0, static_cast<int>(range));
    scroll_->setSingleStep(column);
    scroll_->setPageStep(std::max(surface_.Width(), 1));
    // Only a graph wider than the page has one: otherwise the page is as it always was.
    scroll_->setVisible(range > 0);
}

void GraphPage::ScrollTo(const TFileAttr& record) {
    const TFileAttr* shown = Shown();
    if (shown == nullptr) {
        return;
    }
    const GraphLayout layout = Layout();
    const std::int64_t left =
        static_cast<std::int64_t>(layout.LevelOf(record)) * layout.ColumnWidth();
    const std::int64_t right = left + layout.ColumnWidth();
    if (left < scroll_->value()) {
        scroll_->setValue(static_cast<int>(std::max<std::int64_t>(left, 0)));
    } else if (right > static_cast<std::int64_t>(scroll_->value()) + surface_.Width()) {
        scroll_->setValue(
            static_cast<int>(std::min<std::int64_t>(right - surface_.Width(), scroll_->maximum())));
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
        colour = (zoomColour_ + 8 - PathColour(*zoom_, record)) % 8;
    } else if (Shown() != nullptr && Layout().BarOf(*record, bar)) {
        colour = bar.colour;
    } else {
        colour = PathColour(*record);
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
    const TFileAttr* root = ShownRoot ? ShownRoot() : nullptr;
    const GraphGrowth* growth = Comparing();
    QString text = selected_ != nullptr && root != nullptr
                       ? Display(NodeText(*selected_, *root) +
                                 (growth != nullptr ? growth->TextOf(*selected_) : std::string()))
                       : description_;
    if (growth != nullptr) {
        text += QLatin1Char('\n') + GraphGrowth::Legend();
    }
    surface_.setAccessibleDescription(text);
}

QString GraphPage::ToolTipOf(const TFileAttr& record) const {
    const TFileAttr& root = *ShownRoot();
    const GraphGrowth* growth = Comparing();
    return Display(RealPathOf(ShownRootPath ? ShownRootPath() : std::string(), root, record)) +
           QLatin1Char('\n') +
           Display(NodeText(record, root) +
                   (growth != nullptr ? growth->TextOf(record) : std::string()));
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

bool GraphPage::KeyPressed(int key, bool alt) {
    const TFileAttr* shown = Shown();
    if (shown == nullptr) {
        return false;
    }
    const TFileAttr* at = selected_;
    const bool inside = at != nullptr && Below(*at, *shown);
    switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Down: {
            if (!inside || at == shown) {
                Select(shown);
                return true;
            }
            const auto& siblings = at->Parent->Children;
            const std::size_t i = ChildIndex(*at);
            const std::size_t next = key == Qt::Key_Up ? i - 1 : i + 1;
            if ((key == Qt::Key_Up && i == 0) || next >= siblings.size()) {
                return true;
            }
            Select(siblings[next].get());
            return true;
        }
        case Qt::Key_Left:
            if (alt) {
                Zoom(shown->Parent);
            } else {
                Select(inside && at != shown ? at->Parent : shown);
            }
            return true;
        case Qt::Key_Right:
            if (!inside) {
                Select(shown);
            } else if (!at->Children.empty()) {
                Select(at->Children.front().get());
            }
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (inside) {
                Zoom(at);
            }
            return true;
        case Qt::Key_Backspace:
            Zoom(shown->Parent != nullptr ? shown->Parent : shown);
            return true;
        case Qt::Key_Home:
            Zoom(nullptr);
            return true;
        default:
            return false;
    }
}

bool GraphPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &page_) {
        if (event->type() == QEvent::Show && selected_ != nullptr) {
            Guarded([this] { ScrollTo(*selected_); });
        }
        return false;
    }
    if (watched != &surface_) {
        return false;
    }
    bool taken = false;
    Guarded([&] {
        switch (event->type()) {
            case QEvent::Resize:
                UpdateRange();
                break;
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick: {
                auto* mouse = static_cast<QMouseEvent*>(event);
                if (mouse->button() != Qt::LeftButton) {
                    break;
                }
                surface_.setFocus(Qt::MouseFocusReason);
                const TFileAttr* record = RecordAt(mouse->position().toPoint());
                if (record != nullptr) {
                    Select(record);
                    if (event->type() == QEvent::MouseButtonDblClick) {
                        Zoom(record);
                    }
                }
                taken = true;
                break;
            }
            case QEvent::ToolTip: {
                auto* help = static_cast<QHelpEvent*>(event);
                const TFileAttr* record = RecordAt(help->pos());
                if (record != nullptr) {
                    QToolTip::showText(help->globalPos(), ToolTipOf(*record), &surface_);
                } else {
                    QToolTip::hideText();
                }
                taken = true;
                break;
            }
            case QEvent::Wheel: {
                auto* wheel = static_cast<QWheelEvent*>(event);
                int delta = wheel->angleDelta().x();
                if (delta == 0 && (wheel->modifiers() & Qt::ShiftModifier) != 0) {
                    delta = wheel->angleDelta().y();
                }
                if (delta != 0) {
                    const long long step =
                        static_cast<long long>(delta) * scroll_->singleStep() / kNotch;
                    scroll_->setValue(static_cast<int>(std::clamp<long long>(
                        scroll_->value() - step, scroll_->minimum(), scroll_->maximum())));
                    taken = true;
                }
                break;
            }
            case QEvent::KeyPress: {
                auto* key = static_cast<QKeyEvent*>(event);
                taken = KeyPressed(key->key(), (key->modifiers() & Qt::AltModifier) != 0);
                break;
            }
            default:
                break;
        }
    });
    return taken;
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
