// Guards the control contracts the window's logic relies on: the radio group's click rule, the
// status line's cheap text, the canvas's rectangle and transparent text, and the tree control's
// nodes, errors and rebuilds under the view.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QImage>
#include <QPainter>
#include <QTest>

#include "app/ETreeViewError.h"
#include "app/MainFormLayout.h"
#include "app/TCanvas.h"
#include "app/TRadioButton.h"
#include "app/TStatusBar.h"
#include "app/TTreeView.h"

namespace zelk {
namespace {

TEST(RadioGroup, ClickOnTheCheckedButtonRunsNothingAndOnTheOtherOnlyItsOwnAfterTheCheckMoved) {
    QWidget band;
    TRadioButton first("first", &band);
    TRadioButton second("second", &band);
    first.setChecked(true);
    std::vector<std::string> runs;
    QObject::connect(&first, &TRadioButton::Click, [&] { runs.push_back("first"); });
    QObject::connect(&second, &TRadioButton::Click, [&] {
        runs.push_back(first.isChecked() || !second.isChecked() ? "second too early" : "second");
    });
    first.click();
    EXPECT_TRUE(runs.empty());
    second.click();
    EXPECT_EQ(runs, std::vector<std::string>{"second"});
    second.click();
    first.setChecked(true);  // from code: no event
    EXPECT_EQ(runs, std::vector<std::string>{"second"});
}

TEST(StatusLine, KeepsTheNewestTextAtOnceAndRepaintsOnceForManyTexts) {
    TStatusBar status;
    status.resize(300, 20);
    status.show();
    QTest::qWait(50);
    const int paints = status.PaintCount();
    for (int i = 0; i < 1000; ++i) {
        status.SetSimpleText("c:\\dir" + std::to_string(i));
    }
    EXPECT_EQ(status.SimpleText(), "c:\\dir999");
    EXPECT_EQ(status.PaintCount(), paints) << "no synchronous repaint";
    QTest::qWait(100);
    EXPECT_EQ(status.PaintCount(), paints + 1);
    status.SetSimpleText("c:\\dir999");
    QTest::qWait(100);
    EXPECT_EQ(status.PaintCount(), paints + 1) << "an equal text does nothing";
}

TEST(Canvas, ClearBrushTextChangesOnlyGlyphPixelsAndTextHeightIsTheLineHeight) {
    const QRgb bar = qRgb(128, 0, 128);
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(bar);
    QRect glyphs;
    {
        QPainter painter(&image);
        TCanvas canvas(painter, MainFormFont(96), Qt::gray);
        canvas.SetBrushStyle(TBrushStyle::Clear);
        canvas.SetFontColor(Qt::white);
        canvas.TextOut(5, 5, "ab");
        const QFontMetrics metrics(canvas.Font());
        glyphs =
            metrics.boundingRect("ab").translated(5, 5 + metrics.ascent()).adjusted(-1, -1, 1, 1);
        EXPECT_EQ(canvas.TextHeight("W"), canvas.TextHeight("0"));
        EXPECT_EQ(canvas.TextHeight("ｱﾌﾟﾘ"), canvas.TextHeight("0"));
    }
    int inked = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            inked += image.pixel(x, y) != bar;
            ASSERT_TRUE(glyphs.contains(x, y) || image.pixel(x, y) == bar) << x << "," << y;
        }
    }
    EXPECT_GT(inked, 0) << "the glyphs were drawn";
    EXPECT_EQ(image.pixel(5, 5), bar) << "the top-left of the cell, above the glyphs";
}

TEST(TreeControl, NumbersNodesDepthFirstDeletesWholeSubtreesAndRaisesItsErrors) {
    TTreeView tree;
    TTreeNode* root = tree.Add(nullptr, "root");
    TTreeNode* a = tree.Add(root, "a");
    tree.Add(a, "a1");
    tree.Add(root, "b");
    TTreeNode* second = tree.Add(nullptr, "second");
    const auto listed = [&] {
        std::string texts;
        for (int i = 0; i < tree.Count(); ++i) {
            texts += tree.Item(i)->Text() + ";";
        }
        return texts;
    };
    EXPECT_EQ(listed(), "root;a;a1;b;second;");
    EXPECT_THROW(tree.Item(-1), ETreeViewError);
    tree.Delete(a);
    EXPECT_EQ(listed(), "root;b;second;");
    EXPECT_EQ(tree.Item(1)->Index(), 0);
    tree.Delete(root);
    tree.Add(second, "in a freed place");
    EXPECT_EQ(listed(), "second;in a freed place;");
    tree.Delete(tree.Item(0));
    EXPECT_EQ(tree.Count(), 0);
    const auto message = [](auto call) {
        try {
            call();
        } catch (const ETreeViewError& error) {
            return error.Message();
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([&] { tree.Item(0); }), "不正なｲﾝﾃﾞｯｸｽ");
    TTreeView other;
    TTreeNode* foreign = other.Add(nullptr, "x");
    EXPECT_EQ(message([&] { tree.Add(foreign, "y"); }), "ｱｲﾃﾑの挿入ができません");
    EXPECT_EQ(tree.Count(), 0) << "nothing added for a parent of another tree";
}

TEST(TreeControl, ShowsTheFinishedTreeCollapsedOnceControlReturnsToTheLoop) {
    TTreeView tree;
    tree.resize(300, 200);
    tree.show();
    QAbstractItemModelTester tester(&tree.Model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    TTreeNode* root = tree.Add(nullptr, "\\ 100%:100%");
    root->ImageIndex = 0;
    root->SelectedIndex = 1;
    for (int i = 0; i < 50; ++i) {
        TTreeNode* child = tree.Add(root, "dir" + std::to_string(i));
        tree.Add(child, "leaf");
    }
    QCoreApplication::processEvents();
    const QModelIndex top = tree.model()->index(0, 0);
    EXPECT_EQ(top.data().toString(), QString::fromUtf8("\\ 100%:100%"));
    EXPECT_EQ(tree.model()->rowCount(top), 50);
    EXPECT_FALSE(tree.isExpanded(top));
    tree.expand(top);
    tree.setCurrentIndex(tree.model()->index(3, 0, top));
    // A rebuild while the view holds an expanded, selected node.
    while (tree.Count() > 0) {
        tree.Delete(tree.Item(0));
    }
    tree.Add(nullptr, "new root");
    tree.repaint();
    QCoreApplication::processEvents();
    EXPECT_EQ(tree.model()->rowCount(), 1);
    EXPECT_EQ(tree.model()->index(0, 0).data().toString(), "new root");
}

}  // namespace
}  // namespace zelk
