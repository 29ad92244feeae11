// Guards the main window's layout: the initial state, the window font, the start-up scaling of
// every control, the bands on resize, the keyboard order, and the legend a tree click shows.

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include "app/DesignScaling.h"
#include "app/MainFormLayout.h"
#include "app/TPageControl.h"
#include "app/TPanel.h"
#include "app/TRadioButton.h"
#include "app/TStatusBar.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "drives/TDriveComboBox.h"

namespace zelk {
namespace {

TEST(MainForm, StartsOnTheEmptyTreePageWithAnEmptyStatusAndTheUncompressedBasis) {
    TfrmMain form;
    form.FormCreate();
    EXPECT_EQ(form.windowTitle(), "ZELK");
    EXPECT_EQ(form.PageControl1->ActivePage(), form.TabSheet1);
    EXPECT_TRUE(form.rbFileSize->isChecked());
    EXPECT_FALSE(form.CompressedBasis());
    EXPECT_EQ(form.TreeView1->Count(), 0);
    EXPECT_EQ(form.StatusBar1->SimpleText(), "");
    const QFont font = MainFormFont(96);
    EXPECT_EQ(font.pixelSize(), 12);
    EXPECT_EQ(MainFormFont(144).pixelSize(), 18);
    EXPECT_EQ(QFontMetrics(font).height(), 13) << "the metric twin at 12 px";
}

TEST(MainForm, ScalesEveryPlaceByTheMeasuredTextHeightRoundingToTheNearestPixel) {
    TfrmMain form;  // measured from the window font: 13 against the design's 12
    EXPECT_EQ(form.size(), QSize(661, 410));
    EXPECT_EQ(form.Panel1->geometry(), QRect(0, 0, 661, 79));
    EXPECT_EQ(form.btnSortByDate->geometry(), QRect(529, 43, 122, 27));
    EXPECT_EQ(ScaledDesignRect(QRect(6, 6, 6, 6), 18), QRect(9, 9, 9, 9));
    EXPECT_EQ(MulDivRounded(378, 13, 12), 410) << "409.5 rounds up";
    EXPECT_EQ(MulDivRounded(-378, 13, 12), -410);
}

TEST(MainForm, BandsKeepTheirHeightsAndTheTopBandItsControlsOnResize) {
    TfrmMain form(12);
    const QRect start = form.btnStop->geometry();
    form.show();
    form.resize(900, 600);
    EXPECT_EQ(form.Panel1->geometry(), QRect(0, 0, 900, 73));
    EXPECT_EQ(form.StatusBar1->geometry(), QRect(0, 581, 900, 19));
    EXPECT_EQ(form.PageControl1->geometry(), QRect(0, 73, 900, 508));
    EXPECT_EQ(form.btnStop->geometry(), start);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.TreeView1->size(), form.TabSheet1->size());
}

class Keyboard : public ::testing::Test {
  protected:
    Keyboard() {
        form_.show();
        QApplication::setActiveWindow(&form_);
    }
    QWidget* Press(QWidget* from, int key, Qt::KeyboardModifiers modifiers = {}) {
        from->setFocus();
        QTest::keyClick(from, static_cast<Qt::Key>(key), modifiers);
        return QApplication::focusWidget();
    }
    TfrmMain form_;
};

TEST_F(Keyboard, TabVisitsTheBandTheCheckedRadioTheTabStripAndTheTreeThenWraps) {
    const std::vector<QWidget*> order = {
        form_.DriveComboBox1,         form_.btnStart,      form_.btnStop,
        form_.btnSortBySize,          form_.btnSortByDate, form_.rbFileSize,
        form_.PageControl1->tabBar(), form_.TreeView1,     form_.DriveComboBox1};
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        EXPECT_EQ(Press(order[i], Qt::Key_Tab), order[i + 1]) << i;
        EXPECT_EQ(Press(order[i + 1], Qt::Key_Backtab), order[i]) << i;
    }
    form_.rbCompressedSize->click();
    EXPECT_EQ(Press(form_.btnSortByDate, Qt::Key_Tab), form_.rbCompressedSize)
        << "the tab stop follows the check";
    EXPECT_EQ(Press(form_.rbFileSize, Qt::Key_Tab), form_.PageControl1->tabBar());
}

TEST_F(Keyboard, ArrowsMoveThroughTheBandAndWrapExceptInTheDriveListAndCtrlTabTurnsPages) {
    EXPECT_EQ(Press(form_.btnStart, Qt::Key_Right), form_.btnStop);
    EXPECT_EQ(Press(form_.btnStop, Qt::Key_Up), form_.btnStart);
    EXPECT_EQ(Press(form_.rbCompressedSize, Qt::Key_Down), form_.DriveComboBox1);
    EXPECT_EQ(Press(form_.DriveComboBox1, Qt::Key_Left), form_.DriveComboBox1);
    Press(form_.TreeView1, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(form_.PageControl1->ActivePage(), form_.TabSheet2);
    Press(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(form_.PageControl1->ActivePage(), form_.TabSheet1);
}

TEST(MainForm, ClickingTheTreeShowsTheLegendInTheStatusLine) {
    TfrmMain form(12);
    form.show();
    QTest::mouseClick(form.TreeView1->viewport(), Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(form.StatusBar1->SimpleText(),
              "名前 "
              "割合\u3000圧縮サイズの割合\u3000（サイズ\u3000圧縮サイズ\u3000圧縮率）\u3000最終書き"
              "込み");
}

}  // namespace
}  // namespace zelk
