// Guards the main window's layout: initial state, every control's place, size and text at the
// design size and after the start-up scaling, the bands on resize, and the keyboard order.

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>

#include "app/DesignScaling.h"
#include "app/MainFormLayout.h"
#include "app/TPageControl.h"
#include "app/TPaintBox.h"
#include "app/TPanel.h"
#include "app/TRadioButton.h"
#include "app/TStatusBar.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "drives/TDriveComboBox.h"

namespace zelk {
namespace {

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

TEST(MainForm, StartsWithTheTreePageEmptyTreeEmptyStatusAndUncompressedBasis) {
    TfrmMain form;
    form.FormCreate();
    EXPECT_EQ(form.windowTitle(), "ZELK");
    EXPECT_EQ(form.PageControl1->ActivePage(), form.TabSheet1);
    EXPECT_TRUE(form.rbFileSize->isChecked());
    EXPECT_FALSE(form.rbCompressedSize->isChecked());
    EXPECT_FALSE(form.CompressedBasis());
    EXPECT_EQ(form.TreeView1->Count(), 0);
    EXPECT_EQ(form.StatusBar1->SimpleText(), "");
    EXPECT_EQ(form.PageControl1->count(), 2);
    EXPECT_EQ(form.PageControl1->tabText(0), Text("ツリー表示"));
    EXPECT_EQ(form.PageControl1->tabText(1), Text("グラフ表示"));
    EXPECT_EQ(form.TreeView1->indentation(), 19);
    EXPECT_TRUE(form.TreeView1->rootIsDecorated());
    EXPECT_FALSE(form.TreeView1->isSortingEnabled());
    EXPECT_FALSE(form.TreeView1->dragEnabled());
    EXPECT_NE(form.TreeView1->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_TRUE(form.TreeView1->toolTip().isEmpty());
    EXPECT_EQ(
        form.TreeView1->Hint(),
        "名前 "
        "割合\u3000圧縮サイズの割合\u3000（サイズ\u3000圧縮サイズ\u3000圧縮率）\u3000最終書き込み");
    EXPECT_EQ(form.StatusBar1->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(form.PaintBox1->focusPolicy(), Qt::NoFocus);
}

TEST(MainForm, TheWindowFontIsTwelvePixelsOfTheGothicFamilyOnADesignScreen) {
    const QFont font = MainFormFont(96);
    EXPECT_EQ(font.pixelSize(), 12);
    EXPECT_EQ(font.families(), QStringList({Text("ＭＳ Ｐゴシック"), Text("IPAPGothic")}));
    EXPECT_EQ(MainFormFont(120).pixelSize(), 15);
    EXPECT_EQ(MainFormFont(144).pixelSize(), 18);
    EXPECT_EQ(QFontMetrics(font).height(), 13) << "the metric twin at 12 px";
}

struct Placed {
    const char* name;
    QWidget* control;
    QRect where;
    QString text;
};

std::vector<Placed> PanelControls(const TfrmMain& form) {
    return {
        {"btnStart", form.btnStart, {}, Text("検索開始")},
        {"btnStop", form.btnStop, {}, Text("検索中断")},
        {"btnSortBySize", form.btnSortBySize, {}, Text("サイズでソート")},
        {"btnSortByDate", form.btnSortByDate, {}, Text("日付でソート")},
        {"rbFileSize", form.rbFileSize, {}, Text("圧縮前サイズを使用")},
        {"rbCompressedSize", form.rbCompressedSize, {}, Text("圧縮サイズを使用")},
    };
}

void ExpectPlaces(const TfrmMain& form, const std::vector<QRect>& expected) {
    const auto controls = PanelControls(form);
    ASSERT_EQ(controls.size(), expected.size());
    for (std::size_t i = 0; i < controls.size(); ++i) {
        EXPECT_EQ(controls[i].control->geometry(), expected[i]) << controls[i].name;
        EXPECT_EQ(static_cast<QAbstractButton*>(controls[i].control)->text(), controls[i].text)
            << controls[i].name;
    }
}

TEST(MainForm, PlacesEveryControlAtDesignSize) {
    TfrmMain form(12);
    EXPECT_EQ(form.size(), QSize(610, 378));
    EXPECT_EQ(form.Panel1->geometry(), QRect(0, 0, 610, 73));
    EXPECT_EQ(form.StatusBar1->geometry(), QRect(0, 359, 610, 19));
    EXPECT_EQ(form.PageControl1->geometry(), QRect(0, 73, 610, 286));
    EXPECT_EQ(form.DriveComboBox1->pos(), QPoint(8, 8));
    EXPECT_EQ(form.DriveComboBox1->width(), 345);
    ExpectPlaces(form, {{360, 8, 121, 25},
                        {488, 8, 113, 25},
                        {360, 40, 121, 25},
                        {488, 40, 113, 25},
                        {8, 32, 153, 17},
                        {8, 48, 153, 17}});
}

TEST(MainForm, ScalesPlacesByTheMeasuredTextHeightOfThirteen) {
    TfrmMain form;  // measured from the window font: 13
    EXPECT_EQ(form.size(), QSize(661, 410));
    EXPECT_EQ(form.Panel1->geometry(), QRect(0, 0, 661, 79));
    EXPECT_EQ(form.StatusBar1->geometry(), QRect(0, 389, 661, 21));
    EXPECT_EQ(form.PageControl1->geometry(), QRect(0, 79, 661, 310));
    EXPECT_EQ(form.DriveComboBox1->pos(), QPoint(9, 9));
    EXPECT_EQ(form.DriveComboBox1->width(), 373);
    EXPECT_EQ(form.DriveComboBox1->height(), form.DriveComboBox1->sizeHint().height());
    ExpectPlaces(form, {{390, 9, 131, 27},
                        {529, 9, 122, 27},
                        {390, 43, 131, 27},
                        {529, 43, 122, 27},
                        {9, 35, 165, 18},
                        {9, 52, 165, 18}});
}

TEST(DesignScaling, RoundsEdgesToTheNearestPixelAndLeavesDesignHeightAlone) {
    EXPECT_EQ(ScaledDesignRect(QRect(8, 32, 153, 17), 12), QRect(8, 32, 153, 17));
    EXPECT_EQ(ScaledDesignRect(QRect(0, 359, 610, 19), 13), QRect(0, 389, 661, 21));
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

TEST(MainForm, TabVisitsTheBandTheCheckedRadioTheTabStripAndTheTreeThenWraps) {
    TfrmMain form;
    form.show();
    QApplication::setActiveWindow(&form);
    form.DriveComboBox1->setFocus();
    const std::vector<QWidget*> expected = {form.btnStart,      form.btnStop,
                                            form.btnSortBySize, form.btnSortByDate,
                                            form.rbFileSize,    form.PageControl1->tabBar(),
                                            form.TreeView1,     form.DriveComboBox1};
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), next)
            << next->metaObject()->className() << " expected, not "
            << QApplication::focusWidget()->metaObject()->className();
    }
    form.rbCompressedSize->click();
    form.btnSortByDate->setFocus();
    QTest::keyClick(form.btnSortByDate, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form.rbCompressedSize)
        << "the tab stop follows the check";
}

TEST(MainForm, ArrowKeysMoveThroughTheTopBandAndWrapButTheDriveListKeepsThem) {
    TfrmMain form;
    form.show();
    QApplication::setActiveWindow(&form);
    form.btnStart->setFocus();
    QTest::keyClick(form.btnStart, Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), form.btnStop);
    QTest::keyClick(form.btnStop, Qt::Key_Up);
    EXPECT_EQ(QApplication::focusWidget(), form.btnStart);
    form.rbCompressedSize->setFocus();
    QTest::keyClick(form.rbCompressedSize, Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), form.DriveComboBox1);
    QTest::keyClick(form.DriveComboBox1, Qt::Key_Left);
    EXPECT_EQ(QApplication::focusWidget(), form.DriveComboBox1);
}

TEST(MainForm, CtrlTabTurnsThePagesAndWraps) {
    TfrmMain form;
    form.show();
    QApplication::setActiveWindow(&form);
    form.TreeView1->setFocus();
    QTest::keyClick(form.TreeView1, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(form.PageControl1->ActivePage(), form.TabSheet2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(form.PageControl1->ActivePage(), form.TabSheet1);
}

TEST(MainForm, ClickingTheTreeShowsTheLegendInTheStatusLine) {
    TfrmMain form(12);
    form.show();
    QTest::mouseClick(form.TreeView1->viewport(), Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(form.StatusBar1->SimpleText(), form.TreeView1->Hint());
}

}  // namespace
}  // namespace zelk
