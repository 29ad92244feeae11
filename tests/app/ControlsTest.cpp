// Guards the control contracts the window's logic relies on: the radio group's click rule, the
// status line's cheap text, the canvas's rectangle and transparent text, the painting surface's
// invalidate, and the tree control's nodes, errors and rebuilds under the view.

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QImage>
#include <QPainter>
#include <QTest>

#include "app/ETreeViewError.h"
#include "app/MainFormLayout.h"
#include "app/TCanvas.h"
#include "app/TPageControl.h"
#include "app/TPaintBox.h"
#include "app/TRadioButton.h"
#include "app/TStatusBar.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"

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

int Count(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixel(x, y) == colour ? 1 : 0;
        }
    }
    return count;
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
    EXPECT_LT(Count(image, bar), 40 * 30) << "the glyphs were drawn";
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            if (!glyphs.contains(x, y)) {
                ASSERT_EQ(image.pixel(x, y), bar) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(image.pixel(5, 5), bar) << "the top-left of the cell, above the glyphs";
}

TEST(PaintingSurface, InvalidateBeforeTheGraphPageWasShownDoesNothingAndOpeningItPaints) {
    TfrmMain form(12);
    form.show();
    QTest::qWait(50);
    int paints = 0;
    form.PaintBox1->OnPaint = [&] { ++paints; };
    form.PaintBox1->Invalidate();
    QTest::qWait(50);
    EXPECT_EQ(paints, 0);
    form.PageControl1->SetActivePage(form.TabSheet2);
    QTest::qWait(50);
    EXPECT_GE(paints, 1);
    paints = 0;
    for (int i = 0; i < 10; ++i) {
        form.PaintBox1->Invalidate();
    }
    EXPECT_EQ(paints, 0) << "no drawing inside the call";
    QTest::qWait(50);
    EXPECT_EQ(paints, 1);
}

TEST(TreeControl, NumbersNodesDepthFirstDeletesWholeSubtreesAndRaisesItsErrors) {
    TTreeView tree;
    TTreeNode* root = tree.Add(nullptr, "root");
    TTreeNode* a = tree.Add(root, "a");
    tree.Add(a, "a1");
    tree.Add(root, "b");
    TTreeNode* second = tree.Add(nullptr, "second");
    EXPECT_EQ(tree.Count(), 5);
    std::vector<std::string> order;
    for (int i = 0; i < tree.Count(); ++i) {
        order.push_back(tree.Item(i)->Text());
    }
    EXPECT_EQ(order, (std::vector<std::string>{"root", "a", "a1", "b", "second"}));
    EXPECT_THROW(tree.Item(-1), ETreeViewError);
    tree.Delete(a);
    EXPECT_EQ(tree.Count(), 3);
    EXPECT_EQ(tree.Item(1)->Text(), "b");
    EXPECT_EQ(tree.Item(1)->Index(), 0);
    tree.Delete(root);
    EXPECT_EQ(tree.Item(0), second);
    tree.Add(second, "in a freed place");
    EXPECT_EQ(tree.Item(1)->Text(), "in a freed place");
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
