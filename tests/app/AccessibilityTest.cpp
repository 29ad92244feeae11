// Guards what assistive technology learns from the main window: a name (and a fitting role) for
// every control, the buttons read by their texts, the listing's node texts as the names of its
// items (an unreadable directory described as such, beside its marked picture), the status
// line's current text and the graph surface's description.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QImage>
#include <QMap>
#include <QPushButton>
#include <QSet>
#include <QTabBar>

#include "app/RecordTrees.h"
#include "app/TImageList.h"
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

QAccessibleInterface* Of(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

// Every interface below root, depth first, items of item views included.
void Walk(QAccessibleInterface* root, QList<QAccessibleInterface*>& found, int depth = 0) {
    if (root == nullptr || depth > 32) {
        return;
    }
    found.append(root);
    for (int i = 0; i < root->childCount(); ++i) {
        Walk(root->child(i), found, depth + 1);
    }
}

TEST(Accessibility, EveryControlReportsANameAndItsRoleAndTheButtonsTheirTexts) {
    TfrmMain form;
    form.FormCreate();
    form.show();
    const struct {
        QWidget* control;
        QAccessible::Role role;  // NoRole: any role
        const char* name;        // nullptr: any name
    } rows[] = {
        {form.btnStart, QAccessible::Button, "検索開始"},
        {form.btnStop, QAccessible::Button, "検索中断"},
        {form.btnSortBySize, QAccessible::Button, "サイズでソート"},
        {form.btnSortByDate, QAccessible::Button, "日付でソート"},
        {form.rbFileSize, QAccessible::RadioButton, "圧縮前サイズを使用"},
        {form.rbCompressedSize, QAccessible::RadioButton, "圧縮サイズを使用"},
        {form.TabSheet1, QAccessible::NoRole, "ツリー表示"},
        {form.TabSheet2, QAccessible::NoRole, "グラフ表示"},
        {form.DriveComboBox1, QAccessible::ComboBox, nullptr},
        {form.StatusBar1, QAccessible::StatusBar, nullptr},
        {form.PaintBox1, QAccessible::Graphic, nullptr},
        {form.Panel1, QAccessible::NoRole, nullptr},
        {form.PageControl1, QAccessible::NoRole, nullptr},
        {form.PageControl1->tabBar(), QAccessible::NoRole, nullptr},
        {form.TreeView1, QAccessible::NoRole, nullptr},
    };
    QList<QAccessibleInterface*> reachable;
    Walk(Of(&form), reachable);
    QSet<QObject*> named;
    for (QAccessibleInterface* item : reachable) {
        named.insert(item->text(QAccessible::Name).isEmpty() ? nullptr : item->object());
    }
    for (const auto& row : rows) {
        const char* kind = row.control->metaObject()->className();
        EXPECT_TRUE(named.contains(row.control)) << kind;
        if (row.name != nullptr) {
            EXPECT_EQ(Of(row.control)->text(QAccessible::Name), QString::fromUtf8(row.name))
                << kind;
        }
        if (row.role != QAccessible::NoRole) {
            EXPECT_EQ(Of(row.control)->role(), row.role) << kind;
        }
    }
    EXPECT_FALSE(Of(form.PaintBox1)->text(QAccessible::Description).isEmpty());

    // The status line is named by its text, and by its own name while it has none.
    const QString idle = Of(form.StatusBar1)->text(QAccessible::Name);
    form.StatusBar1->SetSimpleText("/home/ﾃｽﾄ を検索中");
    EXPECT_EQ(Of(form.StatusBar1)->text(QAccessible::Name),
              QString::fromUtf8("/home/ﾃｽﾄ を検索中"));
    form.StatusBar1->SetSimpleText("");
    EXPECT_EQ(Of(form.StatusBar1)->text(QAccessible::Name), idle);
}

TEST(Accessibility, TreeItemsCarryTheNodeTextsAndAnUnreadableOneSaysSoWithItsMark) {
    TfrmMain form;
    form.FormCreate();
    form.show();
    form.RootAttr = MakeRoot(100, 80);
    TFileAttr& usr = AddRecord(*form.RootAttr, "usr", 60, 50);
    AddRecord(usr, "line\nbreak", 10, 10);
    AddRecord(*form.RootAttr, "ﾎｰﾑ", 40, 30).Unreadable = true;
    form.RefreshTree();
    TTreeView& tree = *form.TreeView1;
    tree.Model().FlushChanges();
    tree.expandAll();
    QMap<QString, QString> described;  // item name to description
    QList<QAccessibleInterface*> found;
    Walk(Of(&tree), found);
    for (QAccessibleInterface* item : found) {
        described.insert(item->text(QAccessible::Name), item->text(QAccessible::Description));
    }
    ASSERT_EQ(tree.Count(), 4);
    for (int i = 0; i < tree.Count(); ++i) {
        const TTreeNode& node = *tree.Item(i);
        const QString shown = QString::fromStdString(node.Text());
        const bool unreadable = i == 3;
        ASSERT_TRUE(described.contains(shown)) << node.Text();
        EXPECT_EQ(
            described[shown],
            unreadable ? QString::fromUtf8("このディレクトリは読み取れませんでした") : QString())
            << node.Text();
        EXPECT_EQ(node.ImageIndex, unreadable ? 2 : 0);
        EXPECT_EQ(node.SelectedIndex, unreadable ? 2 : 1);
    }
    // The third picture is the closed folder with a red mark in its lower right corner.
    const QImage closed = form.ImageList1->Picture(0).toImage();
    const QImage marked = form.ImageList1->Picture(2).toImage();
    EXPECT_EQ(marked.copy(0, 0, 16, 9), closed.copy(0, 0, 16, 9));
    EXPECT_EQ(marked.pixel(12, 10), qRgb(255, 0, 0));
    EXPECT_NE(marked.copy(10, 9, 6, 6), closed.copy(10, 9, 6, 6));
}

}  // namespace
}  // namespace zelk
