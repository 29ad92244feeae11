// Guards the context menu of a directory through the real widgets on a real tmpfs tree: its
// entries and keys, and which of them apply on the root, on another volume's mount point, on an
// ordinary directory, during a scan and on an opened scan file; Ctrl+C puts the real path's
// bytes on the clipboard; the keys ask for the record's changes without the menu, never where
// the menu greys them out; and its first entry's opening of a folder in the file manager:
// through a session bus of the test's own, a file manager of the test's own that implements
// org.freedesktop.FileManager1 gets the folder's URL with every byte of the real path
// percent-encoded, and its refusal ends in the error box with its reason. (The desktop's
// handler, taken without that service, needs a real display: the real-window tests check it.)

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QObject>
#include <QSignalSpy>
#include <QTest>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/FileManagerLauncher.h"
#include "app/GraphPage.h"
#include "app/NodeMenu.h"
#include "app/RecordTrees.h"
#include "app/ScanFileControl.h"
#include "app/TApplication.h"
#include "app/TPageControl.h"
#include "app/TPaintBox.h"
#include "app/TTreeView.h"
#include "app/TreeListing.h"
#include "app/WindowFixture.h"
#include "scanfile/ScanFileTestSupport.h"
#include "support/TmpfsMount.h"

namespace zelk {
namespace {

const std::vector<std::string> kOddNames = {"back\\slash", "new\nline", "bad\xff\xfe"};

class NodeMenuTest : public test::WindowFixture {
  protected:
    NodeMenuTest() : WindowFixture('q') {}

    void SetUp() override {
        if (!volume_.Mounted()) {
            GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
        }
        inner_ = std::make_unique<test::TmpfsMount>(root_ + "/mnt");
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
        form_->btnStartClick();
        ASSERT_TRUE(Settle());
        ASSERT_TRUE(Record("mnt").OtherVolume);
    }

    TTreeView& Tree() const { return *form_->Controls().TreeView1; }
    NodeMenu& Menu() const { return form_->Menu(); }
    // The record of the shown tree at path below the root ("" for the root).
    TFileAttr& Record(const std::string& path) const {
        return *RecordAt(*form_->ShownTree(), path);
    }
    void MakeCurrent(const std::string& path) {
        form_->Controls().PageControl1->SetActivePage(form_->Controls().TabSheet1);
        Tree().SelectNode(NodeOf(Tree(), *form_->ShownTree(), Record(path)));
        Tree().setFocus();
    }
    void ShowGraph(const std::string& path) {
        form_->Controls().PageControl1->SetActivePage(form_->Controls().TabSheet2);
        form_->Graph().Select(&Record(path));
        form_->Controls().PaintBox1->setFocus();
    }
    static void RightClick(QWidget& widget, QPoint at) {
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, widget.mapToGlobal(at));
        QCoreApplication::sendEvent(&widget, &click);
    }
    // Each entry's text, key and "1" for enabled or "0"; the open menu is closed.
    std::string Entries() {
        std::string entries;
        for (QAction* action : Menu().Menu().actions()) {
            if (action->isSeparator()) {
                break;  // the window's own entries follow
            }
            entries += action->text().toStdString() + " " +
                       action->shortcut().toString().toStdString() +
                       (action->isEnabled() ? "1," : "0,");
        }
        EXPECT_TRUE(Menu().Menu().isVisible());
        Menu().Menu().hide();
        return entries;
    }
    std::string Copied(QWidget& widget) const {
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(&widget, Qt::Key_C, Qt::ControlModifier);
        return QGuiApplication::clipboard()->mimeData()->data("text/plain").toStdString();
    }

    test::TmpfsMount volume_{root_};
    std::unique_ptr<test::TmpfsMount> inner_;
};

std::string Expected(const std::string& enabled) {
    const char* const entries[] = {"ファイルマネージャーで開く ", "パスをコピー Ctrl+C",
                                   "再検索 F5", "ごみ箱へ移動 Del", "完全に削除 Shift+Del"};
    std::string expected;
    for (std::size_t i = 0; i < enabled.size(); ++i) {
        expected += entries[i] + enabled.substr(i, 1) + ",";
    }
    return expected;
}

TEST_F(NodeMenuTest, EachWayOfOpeningShowsTheEntriesAndGreysOutWhatDoesNotApply) {
    enum How { kRightButton, kMenuKey, kShiftF10, kBar };
    const struct {
        std::string path;
        How how;
        std::string enabled;
    } rows[] = {{"", kRightButton, "11000"},  {"mnt", kRightButton, "11000"},
                {"a", kRightButton, "11111"}, {"a/bad\xff\xfe", kShiftF10, "11111"},
                {"", kMenuKey, "11000"},      {"mnt", kMenuKey, "11000"},
                {"a", kBar, "11111"},         {"", kBar, "11000"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path + " " + std::to_string(row.how));
        const TFileAttr& record = Record(row.path);
        if (row.how == kBar) {
            ShowGraph("");
            QCoreApplication::processEvents();
            QPoint corner;
            ASSERT_TRUE(form_->Graph().BarCorner(record, corner));
            RightClick(*form_->Controls().PaintBox1, corner + QPoint(2, 1));
            EXPECT_EQ(form_->Graph().Selected(), &record);
        } else if (row.how == kRightButton) {
            MakeCurrent("a/new\nline");
            const QModelIndex index =
                Tree().Model().IndexOf(NodeOf(Tree(), *form_->ShownTree(), record));
            RightClick(*Tree().viewport(), Tree().visualRect(index).center());
            EXPECT_EQ(Menu().TreeTarget().Record, &record);
        } else {
            MakeCurrent(row.path);
            QTest::keyClick(&Tree(), row.how == kMenuKey ? Qt::Key_Menu : Qt::Key_F10,
                            row.how == kMenuKey ? Qt::NoModifier : Qt::ShiftModifier);
        }
        EXPECT_EQ(Entries(), Expected(row.enabled));
    }
}

TEST_F(NodeMenuTest, DuringAScanAndOnAnOpenedFileOnlyThePathIsLeft) {
    const std::string path = root_ + "/a/new\nline";
    MakeCurrent("a/new\nline");
    // Held at its first status step: the loop is not served until the menu has been read.
    form_->btnStartClick();
    QTest::keyClick(&Tree(), Qt::Key_Menu);
    EXPECT_EQ(Entries(), Expected("11000"));
    EXPECT_EQ(Copied(Tree()), path);
    ASSERT_TRUE(Settle());

    form_->ScanFiles->SaveTo(dir_ + "/scan.json");
    ASSERT_TRUE(Settle());
    form_->ScanFiles->Open(dir_ + "/scan.json");
    ASSERT_TRUE(Settle());
    MakeCurrent("a/new\nline");
    QTest::keyClick(&Tree(), Qt::Key_Menu);
    EXPECT_EQ(Entries(), Expected("01000"));
    EXPECT_EQ(Copied(Tree()), path);
}

TEST_F(NodeMenuTest, CtrlCCopiesTheRealPathByteForByteFromTheTreeAndTheGraph) {
    for (const std::string& name : kOddNames) {
        SCOPED_TRACE(name);
        MakeCurrent("a/" + name);
        EXPECT_EQ(Copied(Tree()), root_ + "/a/" + name);
        EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->data("text/plain;charset=utf-8"),
                  QByteArray::fromStdString(root_ + "/a/" + name));
        ShowGraph("a/" + name);
        EXPECT_EQ(Copied(*form_->Controls().PaintBox1), root_ + "/a/" + name);
    }
}

TEST_F(NodeMenuTest, TheKeysAskForChangesOnlyWhereTheyApply) {
    // Only what the keys ask for: the window's own handlers would act and make the menu busy.
    QObject::disconnect(&Menu(), nullptr, form_, nullptr);
    QSignalSpy rescans(&Menu(), &NodeMenu::RescanRequested);
    QSignalSpy trashes(&Menu(), &NodeMenu::TrashRequested);
    QSignalSpy deletes(&Menu(), &NodeMenu::DeleteRequested);
    const std::tuple<Qt::Key, Qt::KeyboardModifier, QSignalSpy&> keys[] = {
        {Qt::Key_F5, Qt::NoModifier, rescans},
        {Qt::Key_Delete, Qt::NoModifier, trashes},
        {Qt::Key_Delete, Qt::ShiftModifier, deletes}};
    for (const std::string& path : {std::string(), std::string("mnt"), std::string("a")}) {
        for (const bool graph : {false, true}) {
            for (const auto& [key, modifier, spy] : keys) {
                graph ? ShowGraph(path) : MakeCurrent(path);
                QWidget& widget =
                    graph ? static_cast<QWidget&>(*form_->Controls().PaintBox1) : Tree();
                QTest::keyClick(&widget, key, modifier);
                EXPECT_EQ(spy.size(), path == "a" ? 1 : 0) << path << " " << key;
                if (!spy.isEmpty()) {
                    EXPECT_EQ(spy.takeFirst().front().value<TFileAttr*>(), &Record("a"));
                }
            }
        }
    }
    ShowGraph("a/back\\slash");
    QTest::keyClick(form_->Controls().PaintBox1, Qt::Key_Menu);
    Menu().ActionOf(NodeAction::Rescan).trigger();
    ASSERT_EQ(rescans.size(), 1);
    EXPECT_EQ(rescans.takeFirst().front().value<TFileAttr*>(), &Record("a/back\\slash"));
}

using test::PumpUntil;
const QString kClient = QStringLiteral("zelk-test-client");
const QString kService = QStringLiteral("zelk-test-service");

class RecordingFileManager : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
  public:
    QStringList shown;
    bool refuse = false;

  public slots:
    void ShowFolders(const QStringList& uris, const QString& /*startupId*/) {
        shown += uris;
        if (refuse) {
            sendErrorReply(QDBusError::AccessDenied, QStringLiteral("no folders today"));
        }
    }
};

class FileManagerLauncherTest : public testing::Test {
  protected:
    void SetUp() override {
        application_.SetBoxPresenter([this](QWidget*, const QString&, const QString& text) {
            boxes_.push_back(text.toStdString());
        });
        FILE* daemon = ::popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
        char address[512] = {};
        if (daemon == nullptr || std::fscanf(daemon, "%511s %d", address, &daemonPid_) != 2) {
            GTEST_SKIP() << "no dbus-daemon here";
        }
        ::pclose(daemon);
        const QString bus = QString::fromLatin1(address);
        ASSERT_TRUE(QDBusConnection::connectToBus(bus, kClient).isConnected());
        ASSERT_TRUE(QDBusConnection::connectToBus(bus, kService)
                        .registerObject("/org/freedesktop/FileManager1", &fileManager_,
                                        QDBusConnection::ExportAllSlots));
        launcher_.UseBus(kClient);
    }
    void TearDown() override {
        QDBusConnection::disconnectFromBus(kClient);
        QDBusConnection::disconnectFromBus(kService);
        if (daemonPid_ > 0) {
            ::kill(daemonPid_, SIGTERM);
        }
    }

    TApplication application_{"/usr/bin/zelk"};
    std::vector<std::string> boxes_;
    const test::TempDir temp_;
    int daemonPid_ = -1;
    RecordingFileManager fileManager_;
    FileManagerLauncher launcher_;
    // A backslash, a newline, bytes that are not UTF-8 and a space.
    const std::string path_ = temp_.Path() + "/a\\b\nc\xff\xfe d";
    const std::string url_ = "file://" + temp_.Path() + "/a%5Cb%0Ac%FF%FE%20d";
};

TEST_F(FileManagerLauncherTest, TheFileManagerOnTheBusGetsTheEncodedUrlAndItsRefusalIsShown) {
    ASSERT_TRUE(QDBusConnection(kService).registerService("org.freedesktop.FileManager1"));
    launcher_.Show(path_);
    ASSERT_TRUE(PumpUntil([&] { return !fileManager_.shown.isEmpty(); }));
    EXPECT_EQ(fileManager_.shown, QStringList{QString::fromStdString(url_)});
    EXPECT_TRUE(boxes_.empty());

    fileManager_.refuse = true;
    launcher_.Show(temp_.Path());
    ASSERT_TRUE(PumpUntil([&] { return !boxes_.empty(); }));
    EXPECT_NE(boxes_.front().find(temp_.Path()), std::string::npos) << boxes_.front();
    EXPECT_NE(boxes_.front().find("no folders today"), std::string::npos) << boxes_.front();
}

}  // namespace
}  // namespace zelk

#include "NodeMenuTest.moc"
