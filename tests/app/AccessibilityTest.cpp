// Guards what assistive technology learns from the main window: a name (and a fitting role) for
// every control, the listing's node texts as the names of its items (an unreadable directory
// described as such, beside its marked picture), the status line's current text
// and the graph surface's name and description.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QImage>
#include <QMap>
#include <QPushButton>
#include <QSet>

#include "app/RecordTrees.h"
#include "app/TImageList.h"
#include "app/TPageControl.h"
#include "app/TPaintBox.h"
#include "app/TPanel.h"
#include "app/TRadioButton.h"
#include "app/TStatusBar.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "app/TreeListing.h"
#include "drives/TDriveComboBox.h"

namespace zelk {
namespace {

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

QList<QAccessibleInterface*> Everything(TfrmMain& form) {
    QList<QAccessibleInterface*> found;
    Walk(QAccessible::queryAccessibleInterface(&form), found);
    return found;
}

TEST(Accessibility, EveryControlReportsANameAndItsRole) {
    TfrmMain form;
    form.FormCreate();
    form.show();
    QSet<QObject*> named;
    for (QAccessibleInterface* item : Everything(form)) {
        if (!item->text(QAccessible::Name).isEmpty()) {
            named.insert(item->object());
        }
    }
    const QList<QWidget*> controls = {
        form.DriveComboBox1,   form.btnStart,      form.btnStop,
        form.btnSortBySize,    form.btnSortByDate, form.rbFileSize,
        form.rbCompressedSize, form.PageControl1,  form.TreeView1,
        form.StatusBar1,       form.Panel1,        form.TabSheet1,
        form.TabSheet2,        form.PaintBox1,     form.PageControl1->tabBar()};
    for (QWidget* control : controls) {
        EXPECT_TRUE(named.contains(control)) << control->metaObject()->className();
    }
    auto role = [](QWidget* w) { return QAccessible::queryAccessibleInterface(w)->role(); };
    EXPECT_EQ(role(form.btnStart), QAccessible::Button);
    EXPECT_EQ(role(form.rbFileSize), QAccessible::RadioButton);
    EXPECT_EQ(role(form.DriveComboBox1), QAccessible::ComboBox);
    EXPECT_EQ(role(form.StatusBar1), QAccessible::StatusBar);
    EXPECT_EQ(role(form.PaintBox1), QAccessible::Graphic);
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(form.PaintBox1)
                     ->text(QAccessible::Description)
                     .isEmpty());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form.btnStop)->text(QAccessible::Name),
              QString::fromUtf8("検索中断"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form.rbCompressedSize)->text(QAccessible::Name),
              QString::fromUtf8("圧縮サイズを使用"));
}

TEST(Accessibility, StatusLineIsNamedByItsText) {
    TfrmMain form;
    form.FormCreate();
    form.show();
    const QString idle =
        QAccessible::queryAccessibleInterface(form.StatusBar1)->text(QAccessible::Name);
    EXPECT_FALSE(idle.isEmpty());
    form.StatusBar1->SetSimpleText("/home/ﾃｽﾄ を検索中");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form.StatusBar1)->text(QAccessible::Name),
              QString::fromUtf8("/home/ﾃｽﾄ を検索中"));
    form.StatusBar1->SetSimpleText("");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form.StatusBar1)->text(QAccessible::Name),
              idle);
}

TEST(Accessibility, TreeItemsCarryTheListingsTextsAndAnUnreadableOneSaysSoWithItsMark) {
    TfrmMain form;
    form.FormCreate();
    form.show();
    form.RootAttr = MakeRoot(100, 80);
    TFileAttr& usr = AddRecord(*form.RootAttr, "usr", 60, 50);
    AddRecord(usr, "line\nbreak", 10, 10);
    AddRecord(*form.RootAttr, "ﾎｰﾑ", 40, 30).Unreadable = true;
    const std::vector<const TFileAttr*> records = {form.RootAttr.get(), &usr, usr.Children[0].get(),
                                                   form.RootAttr->Children[1].get()};
    form.RefreshTree();
    TTreeView& tree = *form.TreeView1;
    tree.Model().FlushChanges();
    tree.expandAll();
    QMap<QString, QString> described;  // item name to description
    QList<QAccessibleInterface*> found;
    Walk(QAccessible::queryAccessibleInterface(&tree), found);
    for (QAccessibleInterface* item : found) {
        described.insert(item->text(QAccessible::Name), item->text(QAccessible::Description));
    }
    ASSERT_EQ(tree.Count(), 4);
    for (int i = 0; i < tree.Count(); ++i) {
        const std::string expected = NodeText(*records[i], *form.RootAttr);
        const QString shown = QString::fromStdString(expected);
        const TTreeNode& node = *tree.Item(i);
        EXPECT_EQ(node.Text(), expected);
        EXPECT_EQ(tree.Model().IndexOf(tree.Item(i)).data().toString(), shown);
        ASSERT_TRUE(described.contains(shown)) << expected;
        EXPECT_EQ(described[shown].isEmpty(), !records[i]->Unreadable) << expected;
        EXPECT_EQ(node.ImageIndex, records[i]->Unreadable ? 2 : 0);
        EXPECT_EQ(node.SelectedIndex, records[i]->Unreadable ? 2 : 1);
    }
    EXPECT_EQ(described[QString::fromStdString(tree.Item(3)->Text())],
              QString::fromUtf8("このディレクトリは読み取れませんでした"));
    // The third picture is the closed folder with a red mark in its lower right corner.
    const QImage closed = form.ImageList1->Picture(0).toImage();
    const QImage marked = form.ImageList1->Picture(2).toImage();
    EXPECT_EQ(marked.copy(0, 0, 16, 9), closed.copy(0, 0, 16, 9));
    EXPECT_EQ(marked.pixel(12, 10), qRgb(255, 0, 0));
    EXPECT_NE(marked.copy(10, 9, 6, 6), closed.copy(10, 9, 6, 6));
}

}  // namespace
}  // namespace zelk
