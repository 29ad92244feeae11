// Guards what assistive technology learns from the main window: a name (and a fitting role) for
// every control, the tree's node texts as the names of its items, the status line's current text
// and the graph surface's name and description.

#include <gtest/gtest.h>

#include <QAccessible>
#include <QPushButton>
#include <QSet>

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

TEST(Accessibility, TreeItemsAreNamedByTheirNodeTexts) {
    TfrmMain form;
    form.FormCreate();
    form.show();
    TTreeNode* root = form.TreeView1->Add(nullptr, "/ [100%] 1.5 GB");
    form.TreeView1->Add(root, "usr [60%] 900 MB");
    form.TreeView1->Add(root, "ﾎｰﾑ [40%] 600 MB");
    form.TreeView1->Model().FlushChanges();
    form.TreeView1->expandAll();
    QSet<QString> names;
    QList<QAccessibleInterface*> found;
    Walk(QAccessible::queryAccessibleInterface(form.TreeView1), found);
    for (QAccessibleInterface* item : found) {
        names.insert(item->text(QAccessible::Name));
    }
    for (const char* text : {"/ [100%] 1.5 GB", "usr [60%] 900 MB", "ﾎｰﾑ [40%] 600 MB"}) {
        EXPECT_TRUE(names.contains(QString::fromUtf8(text))) << text;
    }
}

}  // namespace
}  // namespace zelk
