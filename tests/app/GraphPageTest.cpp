// Guards the graph page through the real window: readable columns and sideways scrolling on a
// deep tree, the selection's outline on every bar colour, clicks, double clicks and keys on the
// surface, the tree and the graph following each other's selection, zooming in and out with its
// strip, and a zoom kept across a new listing only while its directory still exists. And while
// the tree is compared with an earlier scan: every bar keeps its place and takes the colour of
// what happened to it (grown, shrunk, new, unchanged), four colours apart from one another; the
// tooltip and the accessible description add the growth and name the colours, and ending the
// comparison brings the path colours back.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QHelpEvent>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/GraphGrowth.h"
#include "app/GraphLayout.h"
#include "app/GraphPage.h"
#include "app/GraphPainter.h"
#include "app/GraphPathStrip.h"
#include "app/RecordTrees.h"
#include "app/ScanFileControl.h"
#include "app/TPageControl.h"
#include "app/TPaintBox.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "app/TreeListing.h"

namespace zelk {
namespace {

// "usr" with "lib" and "share" inside it, "home", and a chain of chain levels under "deep"
// holding 4,000 bytes at its end.
std::unique_ptr<TFileAttr> Drive(int chain) {
    auto root = MakeRoot(0, 0);
    TFileAttr& usr = AddCounted(*root, "usr", 0, 0);
    AddCounted(usr, "lib", 6000, 6000);
    AddCounted(usr, "share", 3000, 3000);
    AddCounted(*root, "home", 1000, 1000);
    TFileAttr* at = &AddCounted(*root, "deep", 4000, 4000);
    for (int level = 2; level <= chain; ++level) {
        at = &AddRecord(*at, "d" + std::to_string(level), 4000, 4000);
    }
    return root;
}

class GraphPageTest : public testing::Test {
  protected:
    GraphPageTest() {
        form_.FormCreate();
        form_.show();
        form_.Controls().PageControl1->SetActivePage(form_.Controls().TabSheet2);
    }
    void Show(std::unique_ptr<TFileAttr> root) {
        SetMaxLevels(*root);
        form_.ReplaceShownTree(std::move(root), true);
        form_.RefreshTree();
        QCoreApplication::processEvents();
    }
    // The record at a path of names below the root ("usr/lib"; "" is the root).
    TFileAttr& Find(const std::string& names) { return *RecordAt(*form_.ShownTree(), names); }
    GraphLayout Layout() const {
        return GraphLayout(*form_.Graph().Shown(), 0, surface_.Width(), surface_.Height(),
                           form_.Graph().MinColumnWidth());
    }
    // record's bar on the surface as it is scrolled now, as wide as its column.
    QRect Bar(const TFileAttr& record) {
        GraphLayout layout = Layout();
        GraphBar bar{};
        EXPECT_TRUE(layout.BarOf(record, bar)) << record.Name.Str();
        return {layout.LevelOf(record) * layout.ColumnWidth() - form_.Graph().ScrollBar().value(),
                bar.top, layout.ColumnWidth(), bar.height};
    }
    QPoint Centre(const TFileAttr& record) { return Bar(record).center(); }
    QImage Grab() {
        QCoreApplication::processEvents();
        return surface_.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    // The text of the tree's current node.
    std::string Current() const {
        const TTreeNode* node = tree_.Model().NodeOf(tree_.currentIndex());
        return node != nullptr ? node->Text() : "(none)";
    }
    std::string Description() const {
        return QAccessible::queryAccessibleInterface(&surface_)
            ->text(QAccessible::Description)
            .toStdString();
    }

    TfrmMain form_{12};
    TPaintBox& surface_ = *form_.Controls().PaintBox1;
    TTreeView& tree_ = *form_.Controls().TreeView1;
};

TEST_F(GraphPageTest, ADeepChainGetsReadableColumnsAndTheScrollBarReachesItsDeepestBar) {
    Show(Drive(200));
    const GraphLayout layout = Layout();
    EXPECT_EQ(layout.ColumnWidth(), form_.Graph().MinColumnWidth());
    EXPECT_GE(layout.ColumnWidth(), 40);
    QScrollBar& scroll = form_.Graph().ScrollBar();
    ASSERT_TRUE(scroll.isVisible());
    EXPECT_EQ(scroll.maximum(), 201 * layout.ColumnWidth() - surface_.Width());
    // The deepest bar holds 4 of 14 kB: at the bottom of the last column.
    scroll.setValue(scroll.maximum());
    const QImage image = Grab();
    const int last = surface_.Width() - layout.ColumnWidth() + 1;
    const int bottom = surface_.Height() - 1;
    const QColor face = surface_.palette().color(QPalette::Button);
    EXPECT_NE(image.pixelColor(last + 2, bottom), face);
    EXPECT_EQ(image.pixelColor(last + 2, 10), face);
    QTest::mouseClick(&surface_, Qt::LeftButton, {}, QPoint(last + 5, bottom));
    ASSERT_NE(form_.Graph().Selected(), nullptr);
    EXPECT_EQ(form_.Graph().Selected()->Level, 200);  // the chain's end, the only one there
}

TEST_F(GraphPageTest, TheOutlineStandsOutOnEachOfTheEightColours) {
    auto root = MakeRoot(0, 0);
    for (int i = 0; i < 8; ++i) {
        AddCounted(*root, "c" + std::to_string(i), 100, 100);
    }
    Show(std::move(root));
    for (int i = 0; i < 8; ++i) {
        const TFileAttr& child = *form_.ShownTree()->Children[static_cast<std::size_t>(i)];
        form_.Graph().Select(&child);
        const QImage image = Grab();
        const QRect bar = Bar(child);
        const QPoint centre = bar.center();
        EXPECT_EQ(image.pixelColor(bar.left(), centre.y()), QColor(Qt::black)) << i;
        EXPECT_EQ(image.pixelColor(bar.left() + 1, centre.y()), QColor(Qt::white)) << i;
        EXPECT_EQ(image.pixelColor(centre.x(), bar.top()), QColor(Qt::black)) << i;
        EXPECT_EQ(image.pixelColor(centre.x(), bar.top() + 1), QColor(Qt::white)) << i;
        EXPECT_EQ(image.pixelColor(bar.left() + 2, bar.top() + 2), GraphColor(i)) << i;
    }
}

TEST_F(GraphPageTest, AClickSelectsTheNodeInTheTreeAndATreeSelectionTheBar) {
    Show(Drive(3));
    const TFileAttr& lib = Find("usr/lib");
    tree_.collapseAll();
    QTest::mouseClick(&surface_, Qt::LeftButton, {}, Centre(lib));
    EXPECT_EQ(Current(), NodeText(lib, *form_.ShownTree()));
    EXPECT_TRUE(tree_.isExpanded(tree_.currentIndex().parent()));
    EXPECT_EQ(form_.Controls().PageControl1->ActivePage(), form_.Controls().TabSheet2);
    const TFileAttr& home = Find("home");
    tree_.setCurrentIndex(tree_.Model().IndexOf(NodeOf(tree_, *form_.ShownTree(), home)));
    EXPECT_EQ(form_.Graph().Selected(), &home);
}

TEST_F(GraphPageTest, DoubleClickZoomsKeepingColoursAndBackspaceAndHomeGoBack) {
    Show(Drive(3));
    const TFileAttr& usr = Find("usr");
    const TFileAttr& share = Find("usr/share");
    const QRgb shareColour = Grab().pixelColor(Centre(share)).rgb();
    const QRgb usrColour = Grab().pixelColor(Centre(usr) + QPoint(0, 20)).rgb();
    QTest::mouseDClick(&surface_, Qt::LeftButton, {}, Centre(usr));
    EXPECT_EQ(form_.Graph().Shown(), &usr);
    EXPECT_EQ(Layout().BarHeight(usr), surface_.Height());
    EXPECT_EQ(Layout().ColumnWidth(), surface_.Width() / 2);
    const QImage image = Grab();
    const GraphPathStrip& strip = form_.Graph().Strip();
    ASSERT_TRUE(strip.isVisible());
    ASSERT_EQ(strip.Parts().size(), 2U);
    EXPECT_EQ(strip.Button(0)->text() + "|" + strip.Button(1)->text(), "\\|usr");
    // usr's bar and share's keep the colours they had in the drive's picture.
    EXPECT_EQ(image.pixelColor(5, image.height() - 5).rgb(), usrColour);
    EXPECT_EQ(image.pixelColor(Centre(share)).rgb(), shareColour);
    surface_.setFocus();
    QTest::keyClick(&surface_, Qt::Key_Backspace);
    EXPECT_EQ(form_.Graph().Shown(), form_.ShownTree());
    EXPECT_FALSE(form_.Graph().Strip().isVisible());
    form_.Graph().Zoom(&share);
    QTest::keyClick(&surface_, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(form_.Graph().Shown(), &usr);
    QTest::mouseClick(form_.Graph().Strip().Button(0), Qt::LeftButton);
    EXPECT_EQ(form_.Graph().Shown(), form_.ShownTree());
    form_.Graph().Zoom(&share);
    QTest::keyClick(&surface_, Qt::Key_Home);
    EXPECT_EQ(form_.Graph().Shown(), form_.ShownTree());
    EXPECT_FALSE(form_.Graph().Strip().isVisible());
}

TEST_F(GraphPageTest, ArrowsWalkSiblingsParentAndFirstChildAndTheDescriptionFollows) {
    Show(Drive(3));
    const TFileAttr& root = *form_.ShownTree();
    surface_.setFocus();
    const struct {
        Qt::Key key;
        const char* selected;
    } steps[] = {
        {Qt::Key_Down, ""},          {Qt::Key_Right, "usr"}, {Qt::Key_Down, "home"},
        {Qt::Key_Down, "deep"},      {Qt::Key_Down, "deep"}, {Qt::Key_Up, "home"},
        {Qt::Key_Up, "usr"},         {Qt::Key_Up, "usr"},    {Qt::Key_Right, "usr/lib"},
        {Qt::Key_Down, "usr/share"}, {Qt::Key_Left, "usr"},  {Qt::Key_Left, ""},
    };
    for (const auto& step : steps) {
        QTest::keyClick(&surface_, step.key);
        const TFileAttr& expected = Find(step.selected);
        EXPECT_EQ(form_.Graph().Selected(), &expected) << step.selected;
        EXPECT_EQ(Description(), NodeText(expected, root)) << step.selected;
        EXPECT_EQ(Current(), NodeText(expected, root)) << step.selected;
    }
    QTest::keyClick(&surface_, Qt::Key_Right);
    QTest::keyClick(&surface_, Qt::Key_Return);
    EXPECT_EQ(form_.Graph().Shown(), &Find("usr"));
}

TEST_F(GraphPageTest, ANewListingKeepsTheZoomWhileItsDirectoryExists) {
    Show(Drive(3));
    form_.Graph().Zoom(&Find("usr"));
    form_.Graph().Select(&Find("usr/lib"));
    Show(Drive(3));  // a new scan of the same drive: other records, the same names
    EXPECT_EQ(form_.Graph().Shown(), &Find("usr"));
    EXPECT_EQ(form_.Graph().Selected(), &Find("usr/lib"));
    EXPECT_TRUE(form_.Graph().Strip().isVisible());
    auto other = MakeRoot(0, 0);
    AddCounted(*other, "var", 10, 10);
    Show(std::move(other));
    EXPECT_EQ(form_.Graph().Shown(), form_.ShownTree());
    EXPECT_EQ(form_.Graph().Selected(), nullptr);
    EXPECT_FALSE(form_.Graph().Strip().isVisible());
}

// A child of each kind, named after it; the root grew.
const std::map<std::string, GrowthKind> kKinds = {{"grown", GrowthKind::Grown},
                                                  {"shrunk", GrowthKind::Shrunk},
                                                  {"new", GrowthKind::New},
                                                  {"same", GrowthKind::Unchanged}};

class GraphGrowthTest : public GraphPageTest {
  protected:
    GraphGrowthTest() {
        form_.ScanFiles->ShownRootName = "/mnt";
        auto root = MakeRoot(0, 0);
        for (const auto& [name, kind] : kKinds) {
            AddCounted(*root, name, 2500, 2500);
        }
        Show(std::move(root));
        growth_.KindOf = [](const TFileAttr& record) {
            const auto kind = kKinds.find(record.Name.Str());
            return kind != kKinds.end() ? kind->second : GrowthKind::Grown;
        };
        growth_.TextOf = [](const TFileAttr& record) { return " [" + record.Name.Str() + "]"; };
    }
    void Compare(bool on) {
        form_.Graph().Growth = [this, on] { return on ? &growth_ : nullptr; };
        form_.Graph().GrowthChanged();
        QCoreApplication::processEvents();
    }
    std::map<std::string, QColor> BarColours() {
        const QImage image = Grab();
        std::map<std::string, QColor> colours;
        for (const auto& [name, kind] : kKinds) {
            colours[name] = image.pixelColor(Centre(Find(name)));
        }
        return colours;
    }

    GraphGrowth growth_;
};

TEST_F(GraphGrowthTest, BarsTakeTheFourColoursAndGoBackWhenTheComparisonEnds) {
    const auto before = BarColours();
    Compare(true);
    const auto comparing = BarColours();
    for (const auto& [name, kind] : kKinds) {
        EXPECT_EQ(comparing.at(name), GraphGrowth::ColorOf(kind)) << name;
        for (const auto& [other, otherKind] : kKinds) {
            EXPECT_TRUE(other == name || comparing.at(name) != comparing.at(other)) << name;
        }
    }
    EXPECT_EQ(Grab().pixelColor(Centre(*form_.ShownTree())),
              GraphGrowth::ColorOf(GrowthKind::Grown));
    Compare(false);
    EXPECT_EQ(BarColours(), before);
}

TEST_F(GraphGrowthTest, TooltipAndDescriptionAddTheGrowthAndNameTheColours) {
    Compare(true);
    const TFileAttr& shrunk = Find("shrunk");
    const std::string text = NodeText(shrunk, *form_.ShownTree());
    const QPoint at = Centre(shrunk);
    QHelpEvent help(QEvent::ToolTip, at, surface_.mapToGlobal(at));
    QCoreApplication::sendEvent(&surface_, &help);
    EXPECT_EQ(QToolTip::text().toStdString(), "/mnt/shrunk\n" + text + " [shrunk]");
    EXPECT_TRUE(QString::fromStdString(Description()).endsWith(GraphGrowth::Legend()));
    form_.Graph().Select(&shrunk);
    EXPECT_EQ(QString::fromStdString(Description()),
              QString::fromUtf8(text + " [shrunk]\n") + GraphGrowth::Legend());
    Compare(false);
    EXPECT_EQ(Description(), text);
}

}  // namespace
}  // namespace zelk
