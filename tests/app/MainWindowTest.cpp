// Guards the main window and its controls: the radio group's click rule, the status line's cheap
// text, the canvas's transparent text; the keyboard order and the legend a tree click shows; what
// assistive technology learns from it (a name and a fitting role for every control, the buttons
// read by their texts, the listing's node texts as the names of its items, an unreadable
// directory described as such beside its marked picture, the status line's current text and the
// graph surface's description); and how errors escaping handlers reach the user (the error box's
// caption made from the program file's name and its "." rule, multi-byte characters counted
// whole, EAbort never shown, foreign objects reported without ending the program, an error in a
// paint shown after the paint while the next paint tries again) and the graph surface's paints.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QPushButton>
#include <QSet>
#include <QTabBar>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <tuple>

#include "app/AppTexts.h"
#include "app/ErrorGuard.h"
#include "app/MainFormLayout.h"
#include "app/RecordTrees.h"
#include "app/TApplication.h"
#include "app/TCanvas.h"
#include "app/TImageList.h"
#include "app/TPageControl.h"
#include "app/TPaintBox.h"
#include "app/TPanel.h"
#include "app/TRadioButton.h"
#include "app/TStatusBar.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "app/WindowFixture.h"
#include "app/WindowSettings.h"
#include "drives/TDriveComboBox.h"
#include "runtime/Errors.h"

namespace zelk {
namespace {

class Keyboard : public ::testing::Test {
  protected:
    Keyboard() {
        form_.ReplaceShownTree(MakeRoot(1, 1), true);  // every control of the band can act
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
    const auto& c = form_.Controls();
    // No scan runs: the stop button, which cannot act, is passed over.
    const std::vector<QWidget*> order = {
        c.DriveComboBox1,         c.btnStart,  c.btnSortBySize, c.btnSortByDate, c.rbFileSize,
        c.PageControl1->tabBar(), c.TreeView1, c.DriveComboBox1};
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        EXPECT_EQ(Press(order[i], Qt::Key_Tab), order[i + 1]) << i;
        EXPECT_EQ(Press(order[i + 1], Qt::Key_Backtab), order[i]) << i;
    }
    c.rbCompressedSize->click();
    EXPECT_EQ(Press(c.btnSortByDate, Qt::Key_Tab), c.rbCompressedSize) << "follows the check";
    EXPECT_EQ(Press(c.rbFileSize, Qt::Key_Tab), c.PageControl1->tabBar());
}

TEST_F(Keyboard, ArrowsMoveThroughTheBandAndWrapExceptInTheDriveListAndCtrlTabTurnsPages) {
    const auto& c = form_.Controls();
    const std::tuple<QWidget*, Qt::Key, QWidget*> moves[] = {
        {c.btnStart, Qt::Key_Right, c.btnSortBySize},  // past stop, which cannot act
        {c.btnSortBySize, Qt::Key_Up, c.btnStart},
        {c.rbCompressedSize, Qt::Key_Down, c.DriveComboBox1},
        {c.DriveComboBox1, Qt::Key_Left, c.DriveComboBox1}};
    for (const auto& [from, key, to] : moves) {
        EXPECT_EQ(Press(from, key), to) << from->metaObject()->className();
    }
    Press(c.TreeView1, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(c.PageControl1->ActivePage(), c.TabSheet2);
    Press(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(c.PageControl1->ActivePage(), c.TabSheet1);
}

TEST(MainForm, ClickingTheTreeShowsTheLegendInTheStatusLine) {
    TfrmMain form(12);
    form.show();
    QTest::mouseClick(form.Controls().TreeView1->viewport(), Qt::LeftButton, {}, QPoint(50, 50));
    EXPECT_EQ(form.Controls().StatusBar1->SimpleText(),
              "名前 "
              "割合\u3000圧縮サイズの割合\u3000（サイズ\u3000圧縮サイズ\u3000圧縮率）\u3000最終書き"
              "込み");
}

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

QAccessibleInterface* Of(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

// Root and every interface below it, depth first, items of item views included.
QList<QAccessibleInterface*> Reachable(QAccessibleInterface* root, int depth = 0) {
    QList<QAccessibleInterface*> found{root};
    for (int i = 0; depth < 32 && i < root->childCount(); ++i) {
        if (QAccessibleInterface* child = root->child(i)) {
            found += Reachable(child, depth + 1);
        }
    }
    return found;
}

TEST(Accessibility, EveryControlReportsANameAndItsRoleAndTreeItemsTheNodeTexts) {
    TfrmMain form;
    form.FormCreate();
    form.show();
    const auto& c = form.Controls();
    // Per control its role (NoRole: any) and its name (nullptr: any, but it has one).
    // clang-format off
    const std::tuple<QWidget*, QAccessible::Role, const char*> rows[] = {
        {c.btnStart, QAccessible::Button, "検索開始"}, {c.btnStop, QAccessible::Button, "検索中断"},
        {c.btnSortBySize, QAccessible::Button, "サイズでソート"},
        {c.btnSortByDate, QAccessible::Button, "日付でソート"},
        {c.rbFileSize, QAccessible::RadioButton, "圧縮前サイズを使用"},
        {c.rbCompressedSize, QAccessible::RadioButton, "圧縮サイズを使用"},
        {c.TabSheet1, QAccessible::NoRole, "ツリー表示"}, {c.TabSheet2, QAccessible::NoRole, "グラフ表示"},
        {c.DriveComboBox1, QAccessible::ComboBox, nullptr},
        {c.StatusBar1, QAccessible::StatusBar, nullptr}, {c.PaintBox1, QAccessible::Graphic, nullptr},
        {c.Panel1, QAccessible::NoRole, nullptr}, {c.PageControl1, QAccessible::NoRole, nullptr},
        {c.PageControl1->tabBar(), QAccessible::NoRole, nullptr}, {c.TreeView1, QAccessible::NoRole, nullptr}};
    // clang-format on
    QSet<QObject*> named;
    for (QAccessibleInterface* item : Reachable(Of(&form))) {
        named.insert(item->text(QAccessible::Name).isEmpty() ? nullptr : item->object());
    }
    for (const auto& [control, role, name] : rows) {
        const char* kind = control->metaObject()->className();
        EXPECT_TRUE(named.contains(control)) << kind;
        if (name != nullptr) {
            EXPECT_EQ(Of(control)->text(QAccessible::Name), QString::fromUtf8(name)) << kind;
        }
        if (role != QAccessible::NoRole) {
            EXPECT_EQ(Of(control)->role(), role) << kind;
        }
    }
    EXPECT_FALSE(Of(c.PaintBox1)->text(QAccessible::Description).isEmpty());

    // The status line is named by its text, and by its own name while it has none.
    const QString idle = Of(c.StatusBar1)->text(QAccessible::Name);
    c.StatusBar1->SetSimpleText("/home/ﾃｽﾄ を検索中");
    EXPECT_EQ(Of(c.StatusBar1)->text(QAccessible::Name), QString::fromUtf8("/home/ﾃｽﾄ を検索中"));
    c.StatusBar1->SetSimpleText("");
    EXPECT_EQ(Of(c.StatusBar1)->text(QAccessible::Name), idle);

    // The tree's items carry the node texts, and an unreadable directory says so with its mark.
    form.ReplaceShownTree(MakeRoot(100, 80), true);
    TFileAttr& usr = AddRecord(*form.ShownTree(), "usr", 60, 50);
    AddRecord(usr, "line\nbreak", 10, 10);
    AddRecord(*form.ShownTree(), "ﾎｰﾑ", 40, 30).Unreadable = true;
    form.RefreshTree();
    TTreeView& tree = *form.Controls().TreeView1;
    tree.Model().FlushChanges();
    tree.expandAll();
    QMap<QString, QString> described;  // item name to description
    for (QAccessibleInterface* item : Reachable(Of(&tree))) {
        described.insert(item->text(QAccessible::Name), item->text(QAccessible::Description));
    }
    std::string seen;  // per node: its pictures, closed and open, and its item's description
    for (int i = 0; i < tree.Count(); ++i) {
        const TTreeNode& node = *tree.Item(i);
        const QString shown = QString::fromStdString(node.Text());
        seen += std::to_string(node.ImageIndex) + std::to_string(node.SelectedIndex) + " " +
                (described.contains(shown) ? described[shown].toStdString() : "unnamed") + "|";
    }
    EXPECT_EQ(seen, "01 |01 |01 |22 このディレクトリは読み取れませんでした|");
    // The third picture is the closed folder with a red mark in its lower right corner.
    const QImage closed = form.Controls().ImageList1->Picture(0).toImage();
    const QImage marked = form.Controls().ImageList1->Picture(2).toImage();
    EXPECT_EQ(marked.copy(0, 0, 16, 9), closed.copy(0, 0, 16, 9));
    EXPECT_EQ(marked.pixel(12, 10), qRgb(255, 0, 0));
    EXPECT_NE(marked.copy(10, 9, 6, 6), closed.copy(10, 9, 6, 6));
}

TEST(AppTexts, TitleKeepsTheFirstCharacterLowersTheRestBeforeTheFirstDotAndBoxesEndInADot) {
    // clang-format off
    const std::pair<const char*, const char*> titles[] = {
        {"/usr/local/bin/ZELK", "Zelk"}, {"/mnt/c/TOOLS/DISKVIEW.EXE", "Diskview"},
        {"a.b.exe", "a"}, {"/opt/zELK", "zelk"}, {"/opt/ＺEＬK.bin", "ＺeＬk"}};
    // clang-format on
    for (const auto& [file, title] : titles) {
        EXPECT_EQ(AppTitleOf(file), title) << file;
    }
    // An error box's text ends in a dot after a Japanese letter or digit, not after a closing mark.
    // clang-format off
    const std::pair<const char*, const char*> texts[] = {
        {"ﾒﾓﾘが足りません", "ﾒﾓﾘが足りません."},
        {"ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (5)", "ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (5)"},
        {"disk full", "disk full."}, {"3", "3."}, {"done.", "done."}, {"trailing ", "trailing "},
        {"a-", "a-"}, {"", ""}};
    // clang-format on
    for (const auto& [message, shown] : texts) {
        EXPECT_EQ(ErrorBoxText(message), shown) << message;
    }
}

struct Box {
    QWidget* owner;
    std::string caption;
    std::string text;
};

class ErrorHandlingTest : public ::testing::Test {
  protected:
    ErrorHandlingTest() : application_("/opt/tools/DISKVIEW.EXE") {
        application_.SetBoxPresenter(
            [this](QWidget* owner, const QString& caption, const QString& text) {
                boxes_.push_back({owner, caption.toStdString(), text.toStdString()});
            });
    }

    TApplication application_;
    std::vector<Box> boxes_;
};

TEST_F(ErrorHandlingTest, OursAreBoxedUnderTheTitleAbortIsSilentAndForeignOnesGoOn) {
    TfrmMain* frmMain = nullptr;
    application_.CreateMainWindow(frmMain);
    ASSERT_NE(frmMain, nullptr);
    Guarded([] { throw EOutOfMemory(); });
    Guarded([] { throw EAbort(); });
    Guarded([] { throw std::runtime_error("not ours"); });
    Guarded([] { throw EConvertError("ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (5)"); });
    // Caption, and the text of a box owned by the main window; the foreign report names an
    // address.
    std::string shown;
    for (const Box& box : boxes_) {
        shown += box.caption + (box.owner == frmMain ? " " + box.text : " -") + "\n";
    }
    EXPECT_EQ(shown,
              "Diskview ﾒﾓﾘが足りません.\n"
              "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ -\n"
              "Diskview ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (5)\n");
}

// The painting surface: invalidate draws nothing before the graph page was shown, and nothing
// inside the call.
TEST_F(ErrorHandlingTest, GraphPaintsOnceShownAndOncePerBurstAndAPaintErrorShowsAfterThePaint) {
    TfrmMain form(12);
    form.show();
    QTest::qWait(50);
    int paints = 0;
    TPaintBox& surface = *form.Controls().PaintBox1;
    surface.OnPaint = [&] {
        if (++paints == 1) {
            throw EInvalidOp();
        }
    };
    surface.Invalidate();
    QTest::qWait(50);
    EXPECT_EQ(paints, 0);
    form.Controls().PageControl1->SetActivePage(form.Controls().TabSheet2);
    QTest::qWait(50);
    ASSERT_EQ(paints, 1);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "不正な浮動小数点数演算命令.");
    for (int i = 0; i < 10; ++i) {
        surface.Invalidate();
    }
    EXPECT_EQ(paints, 1);
    QTest::qWait(50);
    EXPECT_EQ(paints, 2) << "the next paint tries again";
    EXPECT_EQ(boxes_.size(), 1u);
}

}  // namespace
}  // namespace zelk
