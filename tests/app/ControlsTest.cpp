// Guards the control contracts the window's logic relies on: the radio group's click rule, the
// status line's cheap text, the canvas's rectangle and transparent text, the painting surface's
// invalidate, and the tree control's nodes.

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
    EXPECT_EQ(first.focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(second.focusPolicy(), Qt::ClickFocus);
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

class CanvasTest : public ::testing::Test {
  protected:
    CanvasTest() : image_(40, 30, QImage::Format_RGB32) { image_.fill(kBackground); }

    int Count(QRgb colour) const {
        int count = 0;
        for (int y = 0; y < image_.height(); ++y) {
            for (int x = 0; x < image_.width(); ++x) {
                count += image_.pixel(x, y) == colour ? 1 : 0;
            }
        }
        return count;
    }

    static constexpr QRgb kBackground = 0xFFF0F0F0;
    QImage image_;
};

TEST_F(CanvasTest, RectangleLeavesOutTheRightAndBottomEdges) {
    {
        QPainter painter(&image_);
        TCanvas canvas(painter, MainFormFont(96), Qt::gray);
        canvas.SetPenColor(Qt::blue);
        canvas.SetBrushColor(Qt::blue);
        canvas.Rectangle(0, 0, 10, 5);
    }
    EXPECT_EQ(Count(qRgb(0, 0, 255)), 50);
    EXPECT_EQ(image_.pixel(9, 4), qRgb(0, 0, 255));
    EXPECT_EQ(image_.pixel(10, 4), kBackground);
    EXPECT_EQ(image_.pixel(9, 5), kBackground);
}

TEST_F(CanvasTest, RectangleOutlinesWithThePenAndFillsWithTheBrushOrNotAtAllWhenClear) {
    QPainter painter(&image_);
    TCanvas canvas(painter, MainFormFont(96), Qt::gray);
    canvas.SetPenColor(Qt::red);
    canvas.SetBrushColor(Qt::green);
    canvas.Rectangle(10, 10, 5, 6);  // corners in any order
    canvas.SetBrushStyle(TBrushStyle::Clear);
    canvas.Rectangle(20, 20, 24, 24);
    painter.end();
    EXPECT_EQ(Count(qRgb(255, 0, 0)), 14 + 12);
    EXPECT_EQ(Count(qRgb(0, 255, 0)), 3 * 2);
    EXPECT_EQ(image_.pixel(21, 21), kBackground);
}

TEST_F(CanvasTest, EmptyRectanglesPaintNothing) {
    {
        QPainter painter(&image_);
        TCanvas canvas(painter, MainFormFont(96), Qt::gray);
        canvas.SetPenColor(Qt::blue);
        canvas.Rectangle(3, 3, 3, 20);
        canvas.Rectangle(3, 7, 20, 7);
    }
    EXPECT_EQ(Count(kBackground), 40 * 30);
}

TEST_F(CanvasTest, ClearBrushTextChangesOnlyGlyphPixelsAndLeavesTheBarAroundThem) {
    const QRgb bar = qRgb(128, 0, 128);
    QRect glyphs;
    {
        QPainter painter(&image_);
        TCanvas canvas(painter, MainFormFont(96), Qt::gray);
        canvas.SetPenColor(bar);
        canvas.SetBrushColor(bar);
        canvas.Rectangle(0, 0, 40, 30);
        canvas.SetBrushStyle(TBrushStyle::Clear);
        canvas.SetFontColor(Qt::white);
        canvas.TextOut(5, 5, "ab");
        glyphs = QFontMetrics(canvas.Font())
                     .boundingRect("ab")
                     .translated(5, 5 + QFontMetrics(canvas.Font()).ascent());
    }
    EXPECT_GT(Count(qRgb(255, 255, 255)) + (40 * 30 - Count(bar)), 0) << "the glyphs were drawn";
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            if (!glyphs.adjusted(-1, -1, 1, 1).contains(x, y)) {
                ASSERT_EQ(image_.pixel(x, y), bar) << x << "," << y;
            }
        }
    }
    EXPECT_EQ(image_.pixel(5, 5), bar) << "the top-left of the cell, above the glyphs";
}

TEST_F(CanvasTest, TextHeightIsTheLineHeightWhateverTheCharacters) {
    QPainter painter(&image_);
    const TCanvas canvas(painter, MainFormFont(96), Qt::gray);
    EXPECT_EQ(canvas.TextHeight("W"), canvas.TextHeight("0"));
    EXPECT_EQ(canvas.TextHeight("ｱﾌﾟﾘ"), canvas.TextHeight("0"));
    EXPECT_EQ(canvas.TextHeight("0"), 13);
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

TEST(PaintingSurface, ShowsOnlyTheButtonFaceBeforeAnythingIsDrawn) {
    TfrmMain form(12);
    form.show();
    form.PageControl1->SetActivePage(form.TabSheet2);
    QTest::qWait(50);
    const QImage picture = form.PaintBox1->grab().toImage();
    const QRgb face = form.PaintBox1->palette().color(QPalette::Button).rgb();
    EXPECT_EQ(picture.pixel(0, 0), face);
    EXPECT_EQ(picture.pixel(picture.width() / 2, picture.height() / 2), face);
    EXPECT_EQ(form.PaintBox1->Width(), form.TabSheet2->width());
}

TEST(TreeControl, NumbersNodesDepthFirstAndDeletesWholeSubtrees) {
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
    EXPECT_THROW(tree.Item(5), ETreeViewError);
    EXPECT_THROW(tree.Item(-1), ETreeViewError);
    tree.Delete(a);
    EXPECT_EQ(tree.Count(), 3);
    EXPECT_EQ(tree.Item(1)->Text(), "b");
    EXPECT_EQ(tree.Item(1)->Index(), 0);
    tree.Delete(root);
    EXPECT_EQ(tree.Item(0), second);
    tree.Delete(tree.Item(0));
    EXPECT_EQ(tree.Count(), 0);
    try {
        tree.Item(0);
        FAIL();
    } catch (const ETreeViewError& error) {
        EXPECT_EQ(error.Message(), "不正なｲﾝﾃﾞｯｸｽ");
    }
}

TEST(TreeControl, RefusesAParentOfAnotherTreeAndAddsNothing) {
    TTreeView tree;
    TTreeView other;
    TTreeNode* foreign = other.Add(nullptr, "x");
    try {
        tree.Add(foreign, "y");
        FAIL();
    } catch (const ETreeViewError& error) {
        EXPECT_EQ(error.Message(), "ｱｲﾃﾑの挿入ができません");
    }
    EXPECT_EQ(tree.Count(), 0);
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

TEST(TreeControl, LabelEditChangesOnlyThatNodesText) {
    TTreeView tree;
    TTreeNode* root = tree.Add(nullptr, "root");
    TTreeNode* child = tree.Add(root, "child");
    tree.Model().FlushChanges();
    const QModelIndex index = tree.Model().IndexOf(child);
    EXPECT_TRUE(tree.model()->flags(index) & Qt::ItemIsEditable);
    EXPECT_TRUE(tree.model()->setData(index, QString::fromUtf8("名前")));
    EXPECT_EQ(child->Text(), "名前");
    EXPECT_EQ(root->Text(), "root");
}

}  // namespace
}  // namespace zelk
