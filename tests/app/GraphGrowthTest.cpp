// Guards the graph while the tree is compared with an earlier scan: every bar keeps its height
// and place and takes the colour of what happened to it (grown, shrunk, new, unchanged), four
// colours apart from one another and from the path colours; the tooltip and the accessible
// description add the growth and name the colours, and ending the comparison brings the path
// colours back.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QCoreApplication>
#include <QHelpEvent>
#include <QImage>
#include <QToolTip>
#include <map>
#include <memory>
#include <string>

#include "app/GraphGrowth.h"
#include "app/GraphLayout.h"
#include "app/GraphPage.h"
#include "app/GraphPainter.h"
#include "app/RecordTrees.h"
#include "app/ScanFileControl.h"
#include "app/TPageControl.h"
#include "app/TPaintBox.h"
#include "app/TfrmMain.h"
#include "app/TreeListing.h"

namespace zelk {
namespace {

const std::map<std::string, GrowthKind> kKinds = {{"grown", GrowthKind::Grown},
                                                  {"shrunk", GrowthKind::Shrunk},
                                                  {"new", GrowthKind::New},
                                                  {"same", GrowthKind::Unchanged}};

class GraphGrowthTest : public testing::Test {
  protected:
    GraphGrowthTest() {
        form_.FormCreate();
        form_.show();
        form_.Controls().PageControl1->SetActivePage(form_.Controls().TabSheet2);
        form_.ScanFiles->ShownRootName = "/mnt";
        auto root = MakeRoot(0, 0);
        for (const auto& [name, kind] : kKinds) {
            AddCounted(*root, name, 2500, 2500);
        }
        root->MaxLevel = 1;
        form_.ReplaceShownTree(std::move(root), true);
        form_.RefreshTree();
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
    const TFileAttr& Child(const std::string& name) const {
        return *RecordAt(*form_.ShownTree(), name);
    }
    // A point inside record's bar, clear of its label.
    QPoint Inside(const TFileAttr& record) const {
        const TPaintBox& box = *form_.Controls().PaintBox1;
        GraphLayout layout(*form_.ShownTree(), 0, box.Width(), box.Height(),
                           form_.Graph().MinColumnWidth());
        GraphBar bar{};
        EXPECT_TRUE(layout.BarOf(record, bar));
        return {layout.LevelOf(record) * layout.ColumnWidth() + layout.ColumnWidth() - 4,
                bar.top + bar.height - 4};
    }
    std::map<std::string, QColor> BarColours() const {
        const QImage image = form_.Controls().PaintBox1->grab().toImage();
        std::map<std::string, QColor> colours;
        for (const auto& [name, kind] : kKinds) {
            colours[name] = image.pixelColor(Inside(Child(name)));
        }
        return colours;
    }

    TfrmMain form_{12};
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
    // The root's bar too: it grew here.
    const QImage image = form_.Controls().PaintBox1->grab().toImage();
    EXPECT_EQ(image.pixelColor(Inside(*form_.ShownTree())),
              GraphGrowth::ColorOf(GrowthKind::Grown));
    Compare(false);
    EXPECT_EQ(BarColours(), before);
}

TEST_F(GraphGrowthTest, TooltipAndDescriptionAddTheGrowthAndNameTheColours) {
    Compare(true);
    TPaintBox& box = *form_.Controls().PaintBox1;
    const TFileAttr& shrunk = Child("shrunk");
    const QPoint at = Inside(shrunk);
    QHelpEvent help(QEvent::ToolTip, at, box.mapToGlobal(at));
    QCoreApplication::sendEvent(&box, &help);
    EXPECT_EQ(QToolTip::text().toStdString(),
              "/mnt/shrunk\n" + NodeText(shrunk, *form_.ShownTree()) + " [shrunk]");
    const auto description = [&box] {
        return QAccessible::queryAccessibleInterface(&box)->text(QAccessible::Description);
    };
    EXPECT_TRUE(description().endsWith(GraphGrowth::Legend()));
    form_.Graph().Select(&shrunk);
    EXPECT_EQ(description(),
              QString::fromUtf8(NodeText(shrunk, *form_.ShownTree()) + " [shrunk]\n") +
                  GraphGrowth::Legend());
    Compare(false);
    EXPECT_EQ(description().toStdString(), NodeText(shrunk, *form_.ShownTree()));
}

}  // namespace
}  // namespace zelk
