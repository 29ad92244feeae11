// Guards the context menu of a directory through the real widgets on a real tmpfs tree: its
// entries and keys, and which of them apply on the root, on another volume's mount point, on an
// ordinary directory, during a scan and on an opened scan file; Ctrl+C puts the real path's
// bytes on the clipboard; the keys ask for the record's changes without the menu, never where
// the menu greys them out.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <fstream>
#include <string>
#include <vector>

#include "app/GraphPage.h"
#include "app/NodeMenu.h"
#include "app/ScanFileControl.h"
#include "app/TPageControl.h"
#include "app/TPaintBox.h"
#include "app/TTreeView.h"
#include "app/TreeListing.h"
#include "app/WindowFixture.h"
#include "scanfile/TmpfsMount.h"

namespace zelk {
namespace {

using test::PumpUntil;
const std::vector<std::string> kOddNames = {"back\\slash", "new\nline", "bad\xff\xfe"};

class NodeMenuTest : public test::WindowFixture {
  protected:
    NodeMenuTest() : WindowFixture('q') {}

    void SetUp() override {
        if (!volume_.Mounted()) {
            GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
        }
        inner_ = std::make_unique<test::TmpfsMount>(root_ + "/mnt");
        ASSERT_TRUE(inner_->Mounted());
        ::mkdir((root_ + "/a").c_str(), 0755);
        for (const std::string& name : kOddNames) {
            ::mkdir((root_ + "/a/" + name).c_str(), 0755);
            std::ofstream(root_ + "/a/" + name + "/f") << std::string(100000, 'x');  // a bar
        }
        WindowFixture::SetUp();
        form_->show();
        // Shown, the drive list installs the machine's volumes: the test's drive again.
        InstallVolumeTable(std::make_shared<VolumeTable>(
            std::vector<Volume>{{letter_, DriveKind::RamDisk, root_, "test", "tmpfs"}}));
        form_->Controls().DriveComboBox1->SelectDrive(letter_);
        Scan();
    }

    void Scan() {
        form_->btnStartClick();
        ASSERT_TRUE(PumpUntil([&] { return !form_->Scanning(); }));
    }
    TTreeView& Tree() const { return *form_->Controls().TreeView1; }
    NodeMenu& Menu() const { return form_->Menu(); }
    // The record at path below the root ("" for the root), of the shown tree.
    TFileAttr& Record(const std::string& path) const {
        TFileAttr* at = form_->ShownTree();
        for (std::size_t from = 0; from < path.size();) {
            const std::size_t end = std::min(path.find('/', from), path.size());
            for (const auto& child : at->Children) {
                if (child->Name.View() == path.substr(from, end - from)) {
                    at = child.get();
                }
            }
            from = end + 1;
        }
        return *at;
    }
    void MakeCurrent(const std::string& path) {
        Tree().SelectNode(NodeOf(Tree(), *form_->ShownTree(), Record(path)));
        Tree().setFocus();
    }
    // Which entries are enabled, "1" or "0" each in the menu's order; the menu is closed again.
    std::string Enabled() {
        std::string states;
        for (QAction* action : Menu().Menu().actions()) {
            states += action->isEnabled() ? '1' : '0';
        }
        EXPECT_TRUE(Menu().Menu().isVisible());
        Menu().Menu().hide();
        return states;
    }
    static void RightClick(QWidget& widget, QPoint at) {
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, widget.mapToGlobal(at));
        QCoreApplication::sendEvent(&widget, &click);
    }
    std::string Clipboard() const {
        return QGuiApplication::clipboard()->mimeData()->data("text/plain").toStdString();
    }

    test::TmpfsMount volume_{root_};
    std::unique_ptr<test::TmpfsMount> inner_;
};

TEST_F(NodeMenuTest, TheEntriesComeInOrderWithTheirKeys) {
    MakeCurrent("a");
    QTest::keyClick(&Tree(), Qt::Key_Menu);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"ファイルマネージャーで開く", ""},
        {"パスをコピー", "Ctrl+C"},
        {"再検索", "F5"},
        {"ごみ箱へ移動", "Del"},
        {"完全に削除", "Shift+Del"}};
    std::vector<std::pair<std::string, std::string>> shown;
    for (QAction* action : Menu().Menu().actions()) {
        shown.emplace_back(action->text().toStdString(),
                           action->shortcut().toString().toStdString());
    }
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(Enabled(), "11111");
}

TEST_F(NodeMenuTest, EachWayOfOpeningGreysOutWhatDoesNotApply) {
    EXPECT_TRUE(Record("mnt").OtherVolume);
    struct Row {
        std::string path;
        int how;  // 0 right button on the node, 1 Shift+F10, 2 right button on the bar
        std::string enabled;
    };
    const std::vector<Row> rows = {
        {"", 0, "11000"}, {"mnt", 0, "11000"}, {"a", 0, "11111"}, {"a/bad\xff\xfe", 1, "11111"},
        {"", 1, "11000"}, {"a", 2, "11111"},   {"", 2, "11000"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path + " " + std::to_string(row.how));
        const TFileAttr& record = Record(row.path);
        if (row.how == 2) {
            form_->Controls().PageControl1->SetActivePage(form_->Controls().TabSheet2);
            QCoreApplication::processEvents();
            QPoint corner;
            ASSERT_TRUE(form_->Graph().BarCorner(record, corner));
            RightClick(*form_->Controls().PaintBox1, corner + QPoint(2, 1));
            EXPECT_EQ(form_->Graph().Selected(), &record);
        } else {
            MakeCurrent(row.path);
            if (row.how == 1) {
                QTest::keyClick(&Tree(), Qt::Key_F10, Qt::ShiftModifier);
            } else {
                Tree().clearSelection();
                Tree().setCurrentIndex({});
                RightClick(*Tree().viewport(), Tree()
                                                   .visualRect(Tree().Model().IndexOf(
                                                       NodeOf(Tree(), *form_->ShownTree(), record)))
                                                   .center());
            }
            EXPECT_EQ(Menu().TreeTarget().Record, &record);
        }
        EXPECT_EQ(Enabled(), row.enabled);
    }
}

TEST_F(NodeMenuTest, DuringAScanAndOnAnOpenedFileOnlyThePathIsLeft) {
    const std::string path = root_ + "/a/new\nline";
    MakeCurrent("a/new\nline");
    // Held at its first status step: the loop is not served until the menu has been read.
    form_->btnStartClick();
    QTest::keyClick(&Tree(), Qt::Key_Menu);
    EXPECT_EQ(Enabled(), "11000");
    QTest::keyClick(&Tree(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), path);
    ASSERT_TRUE(PumpUntil([&] { return !form_->Scanning(); }));

    form_->ScanFiles->SaveTo(dir_ + "/scan.json");
    ASSERT_TRUE(PumpUntil([&] { return !form_->ScanFiles->Saving(); }));
    form_->ScanFiles->Open(dir_ + "/scan.json");
    ASSERT_TRUE(PumpUntil([&] { return !form_->ScanFiles->Opening(); }));
    ASSERT_TRUE(boxes_.empty());
    MakeCurrent("a/new\nline");
    QTest::keyClick(&Tree(), Qt::Key_Menu);
    EXPECT_EQ(Enabled(), "01000");
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(&Tree(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), path);
}

TEST_F(NodeMenuTest, CtrlCCopiesTheRealPathByteForByteFromTheTreeAndTheGraph) {
    TPaintBox& surface = *form_->Controls().PaintBox1;
    for (const std::string& name : kOddNames) {
        SCOPED_TRACE(name);
        const std::string path = root_ + "/a/" + name;
        MakeCurrent("a/" + name);
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(&Tree(), Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(Clipboard(), path);
        EXPECT_EQ(QGuiApplication::clipboard()
                      ->mimeData()
                      ->data("text/plain;charset=utf-8")
                      .toStdString(),
                  path);
        form_->Controls().PageControl1->SetActivePage(form_->Controls().TabSheet2);
        form_->Graph().Select(&Record("a/" + name));
        QGuiApplication::clipboard()->clear();
        surface.setFocus();
        QTest::keyClick(&surface, Qt::Key_C, Qt::ControlModifier);
        EXPECT_EQ(Clipboard(), path);
        form_->Controls().PageControl1->SetActivePage(form_->Controls().TabSheet1);
    }
}

TEST_F(NodeMenuTest, TheKeysAskForChangesOnlyWhereTheyApply) {
    QSignalSpy rescans(&Menu(), &NodeMenu::RescanRequested);
    QSignalSpy trashes(&Menu(), &NodeMenu::TrashRequested);
    QSignalSpy deletes(&Menu(), &NodeMenu::DeleteRequested);
    const auto asked = [](QSignalSpy& spy) {
        return spy.isEmpty() ? nullptr : spy.takeFirst().front().value<TFileAttr*>();
    };
    TFileAttr& a = Record("a");
    for (const std::string& path : {std::string(), std::string("mnt")}) {
        MakeCurrent(path);
        for (const auto& [key, modifiers] :
             {std::pair{Qt::Key_F5, Qt::NoModifier}, std::pair{Qt::Key_Delete, Qt::NoModifier},
              std::pair{Qt::Key_Delete, Qt::ShiftModifier}}) {
            QTest::keyClick(&Tree(), key, modifiers);
        }
    }
    EXPECT_TRUE(rescans.isEmpty() && trashes.isEmpty() && deletes.isEmpty());
    MakeCurrent("a");
    QTest::keyClick(&Tree(), Qt::Key_F5);
    EXPECT_EQ(asked(rescans), &a);
    QTest::keyClick(&Tree(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(asked(deletes), &a);
    form_->Controls().PageControl1->SetActivePage(form_->Controls().TabSheet2);
    form_->Graph().Select(&Record("a/back\\slash"));
    form_->Controls().PaintBox1->setFocus();
    QTest::keyClick(form_->Controls().PaintBox1, Qt::Key_Delete);
    EXPECT_EQ(asked(trashes), &Record("a/back\\slash"));
    QTest::keyClick(form_->Controls().PaintBox1, Qt::Key_Menu);
    Menu().ActionOf(NodeAction::Rescan).trigger();
    EXPECT_EQ(asked(rescans), &Record("a/back\\slash"));
    EXPECT_TRUE(trashes.isEmpty() && deletes.isEmpty());
}

}  // namespace
}  // namespace zelk
