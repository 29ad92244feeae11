// Guards the actions on one directory of a finished scan, through the real window on a real
// tmpfs volume: after a rescan, a move to the trash (the home trash on the volume, or the
// volume's own) and a delete (whole, or with a busy mount point left inside), every node text
// equals that of a fresh scan of the drive; a refused trash changes nothing and says why; a
// link inside a deleted directory leaves its target; the rescanned node stays expanded and
// selected; an action ending during a long save is applied once the save has ended.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <QAbstractItemModelTester>
#include <QString>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/RecordTrees.h"
#include "app/ScanFileControl.h"
#include "app/SubtreeSurgery.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "app/TreeListing.h"
#include "app/WindowFixture.h"
#include "support/TmpfsMount.h"

namespace zelk {
namespace {

namespace fs = std::filesystem;
using test::PumpUntil;

class SubtreeActions : public test::WindowFixture {
  protected:
    SubtreeActions() : WindowFixture('s'), volume_(root_) {}

    void SetUp() override {
        if (!volume_.Mounted()) {
            GTEST_SKIP() << "needs to mount a tmpfs (root)";
        }
        WindowFixture::SetUp();
        // Every row the actions insert or remove is checked against the model's answers.
        tester_ = std::make_unique<QAbstractItemModelTester>(
            &form_->Controls().TreeView1->Model(),
            QAbstractItemModelTester::FailureReportingMode::Fatal);
        form_->Actions().Confirm = [this](const QString& text, bool cancelByDefault) {
            asked_.push_back(text.toStdString());
            cancelByDefault_ = cancelByDefault;
            return true;
        };
        form_->Actions().Inform = [this](const QString& text) {
            told_.push_back(text.toStdString());
        };
        Write("a/b/c/old", 3000);
        Write("a/b/d/x", 500);
        Write("a/e/y", 700);
        Write("f/z", 100);
    }
    void TearDown() override {
        tester_.reset();
        setenv("XDG_DATA_HOME", data_.c_str(), 1);
        setenv("HOME", home_.c_str(), 1);
        WindowFixture::TearDown();
    }

    // With the directories above it.
    void Write(const std::string& name, std::size_t size) const {
        fs::create_directories(fs::path(root_ + "/" + name).parent_path());
        std::ofstream(root_ + "/" + name) << std::string(size, 'x');
    }
    void Scan() {
        form_->btnStartClick();
        ASSERT_TRUE(PumpUntil([this] { return form_->FinishedTree() != nullptr; }));
        form_->Controls().TreeView1->Model().FlushChanges();
    }
    void Await() {
        ASSERT_TRUE(PumpUntil([this] { return !form_->Actions().Running(); }));
    }
    TFileAttr* Record(const std::string& path) const {
        return RecordAt(*form_->FinishedTree(), path);
    }
    // Every node's text by its path of names (what the window shows), with its record's date
    // and depth, which the graph and a sort read.
    std::map<std::string, std::string> Shown() const {
        std::map<std::string, std::string> texts;
        TTreeView& tree = *form_->Controls().TreeView1;
        for (int i = 0; i < tree.Count(); ++i) {
            const TFileAttr* record = RecordOf(*form_->FinishedTree(), *tree.Item(i));
            texts[record->Path()] = tree.Item(i)->Text() + " " + std::to_string(record->LastWrite) +
                                    " " + std::to_string(record->MaxLevel);
        }
        return texts;
    }
    // The window after an action shows what a fresh scan shows.
    void ExpectFreshScan() {
        const auto after = Shown();
        Scan();
        EXPECT_EQ(after, Shown());
    }

    test::TmpfsMount volume_;
    std::unique_ptr<QAbstractItemModelTester> tester_;
    const std::string home_ = getenv("HOME") != nullptr ? getenv("HOME") : "/root";
    // The run's own data folder: the scans later tests keep must not reach the user's.
    const std::string data_ = getenv("XDG_DATA_HOME") != nullptr ? getenv("XDG_DATA_HOME") : "";
    std::vector<std::string> asked_;
    std::vector<std::string> told_;
    bool cancelByDefault_ = false;
};

// A stopped rescan leaves the tree as it was; the next one equals a fresh scan.
TEST_F(SubtreeActions, RescanAfterChangesBelowEqualsFreshScanAndAStoppedOneChangesNothing) {
    // The newest file goes: every ancestor's date must fall back, not only grow.
    const utimbuf future{4102444800, 4102444800};
    ASSERT_EQ(utime((root_ + "/a/b/c/old").c_str(), &future), 0);
    Scan();
    TTreeView& tree = *form_->Controls().TreeView1;
    TTreeNode* b = NodeOf(tree, *form_->FinishedTree(), *Record("a/b"));
    tree.setExpanded(tree.Model().IndexOf(b->Parent()), true);
    tree.setExpanded(tree.Model().IndexOf(b), true);
    tree.setCurrentIndex(tree.Model().IndexOf(b));
    fs::remove(root_ + "/a/b/c/old");
    Write("a/b/new/deeper/still/w", 9000);
    const auto before = Shown();
    // The worker waits at its first status step until the loop serves it: Stop comes first.
    form_->RescanNode(Record("a/b"));
    form_->btnStopClick();
    Await();
    EXPECT_EQ(Status(), "探索中断");
    EXPECT_EQ(Shown(), before);

    form_->RescanNode(Record("a/b"));
    EXPECT_FALSE(form_->Actions().CanAct(Record("a")));  // one action at a time
    Await();
    EXPECT_EQ(Status(), "探索完了");
    ASSERT_NE(tree.Model().NodeOf(tree.currentIndex()), nullptr);
    EXPECT_EQ(tree.Model().NodeOf(tree.currentIndex())->ListedFigures().Name, "b");
    EXPECT_TRUE(tree.isExpanded(tree.currentIndex()));
    ExpectFreshScan();
}

TEST_F(SubtreeActions, TrashOnTheScannedVolumeMovesTheRecordsIntoIt) {
    fs::create_directories(root_ + "/home/.local/share");
    setenv("XDG_DATA_HOME", (root_ + "/home/.local/share").c_str(), 1);
    setenv("HOME", (root_ + "/home").c_str(), 1);
    Scan();
    const double total = form_->FinishedTree()->Size;
    form_->TrashNode(Record("a/b"));
    Await();
    ASSERT_EQ(asked_.size(), 1u);
    EXPECT_NE(asked_[0].find(root_ + "/a/b"), std::string::npos);
    EXPECT_NE(asked_[0].find("3,500"), std::string::npos);
    EXPECT_FALSE(cancelByDefault_);
    EXPECT_TRUE(told_.empty());
    const std::string trash = root_ + "/home/.local/share/Trash";
    EXPECT_TRUE(fs::exists(trash + "/files/b/d/x"));
    EXPECT_TRUE(fs::exists(trash + "/info/b.trashinfo"));
    EXPECT_EQ(form_->FinishedTree()->Size, total + fs::file_size(trash + "/info/b.trashinfo"));
    ExpectFreshScan();
    // Into a trash the tree already holds, the second under another name.
    fs::create_directories(root_ + "/f/b");
    Scan();
    form_->TrashNode(Record("f/b"));
    Await();
    EXPECT_EQ(std::distance(fs::directory_iterator(trash + "/info"), fs::directory_iterator()), 2);
    ExpectFreshScan();
}

// Refused while the volume takes no writes, then into the volume's own trash.
TEST_F(SubtreeActions, TrashFromAnotherVolumeChangesNothingWhenRefusedAndUsesTheVolumesOwn) {
    fs::create_directories(dir_ + "/home");
    setenv("XDG_DATA_HOME", (dir_ + "/home").c_str(), 1);
    Scan();
    const auto before = Shown();
    ASSERT_EQ(mount(nullptr, root_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    form_->TrashNode(Record("a/e"));
    Await();
    mount(nullptr, root_.c_str(), nullptr, MS_REMOUNT, nullptr);
    EXPECT_EQ(told_.size(), 1u);
    EXPECT_TRUE(fs::exists(root_ + "/a/e/y"));
    EXPECT_EQ(Shown(), before);

    told_.clear();
    form_->TrashNode(Record("a/e"));
    Await();
    EXPECT_TRUE(told_.empty());
    const std::string trash = root_ + "/.Trash-" + std::to_string(getuid());
    EXPECT_TRUE(fs::exists(trash + "/files/e/y"));
    EXPECT_TRUE(fs::exists(trash + "/info/e.trashinfo"));
    ExpectFreshScan();
}

TEST_F(SubtreeActions, DeleteLeavesLinkTargetsAndShowsWhatWasLeft) {
    fs::create_directory_symlink(root_ + "/f", root_ + "/a/b/c/to-f");
    const test::TmpfsMount busy(root_ + "/a/e/busy");
    ASSERT_TRUE(busy.Mounted());
    Write("a/e/busy/kept", 10);
    Scan();
    form_->DeleteNode(Record("a/b"));
    Await();
    EXPECT_TRUE(cancelByDefault_);
    EXPECT_TRUE(told_.empty());
    EXPECT_EQ(Record("a/b"), nullptr);
    EXPECT_TRUE(fs::exists(root_ + "/f/z"));
    ExpectFreshScan();

    form_->DeleteNode(Record("a/e"));
    Await();
    ASSERT_EQ(told_.size(), 1u);
    EXPECT_NE(told_[0].find("残っています"), std::string::npos) << told_[0];
    EXPECT_FALSE(fs::exists(root_ + "/a/e/y"));
    EXPECT_TRUE(fs::exists(root_ + "/a/e/busy/kept"));
    ExpectFreshScan();
}

// An action that ends while a save reads the records (the window's, or the keep of a scan) is
// applied once the save has ended, however often it was put off before.
TEST_F(SubtreeActions, AnActionEndingDuringALongSaveIsAppliedOnceTheSaveEnds) {
    for (int i = 0; i < 300; ++i) {
        fs::create_directory(root_ + "/f/" + std::string(40, 'n') + std::to_string(i));
    }
    Scan();
    ASSERT_TRUE(Settle());
    // A reader that takes nothing yet: the save waits once the pipe's page is full.
    const std::string fifo = dir_ + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ::fcntl(reader, F_SETPIPE_SZ, 4096);
    form_->ScanFiles->SaveTo(fifo);
    form_->DeleteNode(Record("a/b"));
    QTest::qWait(300);  // the finished deletion waits, tried again every 50 ms
    EXPECT_TRUE(form_->ScanFiles->Saving());
    char buffer[4096];
    EXPECT_TRUE(PumpUntil([&] {
        while (::read(reader, buffer, sizeof buffer) > 0) {
        }
        return !form_->Actions().Running() && !form_->ScanFiles->Saving();
    }));
    ::close(reader);
    EXPECT_EQ(Record("a/b"), nullptr);
    ExpectFreshScan();
}

TEST_F(SubtreeActions, NothingActsOnTheRootOrAnOtherVolume) {
    const test::TmpfsMount other(root_ + "/mnt");
    ASSERT_TRUE(other.Mounted());
    Scan();
    const auto before = Shown();
    for (TFileAttr* record : {form_->FinishedTree().get(), Record("mnt")}) {
        EXPECT_FALSE(form_->Actions().CanAct(record));
        form_->RescanNode(record);
        form_->TrashNode(record);
        form_->DeleteNode(record);
    }
    form_->DeleteNode(nullptr);
    EXPECT_TRUE(asked_.empty());
    EXPECT_FALSE(form_->Actions().Running());
    EXPECT_EQ(Shown(), before);
}

}  // namespace
}  // namespace zelk
