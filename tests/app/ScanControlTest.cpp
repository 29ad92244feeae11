// Guards scanning from the main window: start, stop, the completion texts, what the window keeps
// of the previous scan (its listing still readable once its records are freed), the status line
// during a walk, and closing while a walk runs. The worker is held at its first status step
// simply by not serving the event loop.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QCoreApplication>
#include <QPushButton>
#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "app/BackgroundReleaser.h"
#include "app/TStatusBar.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "app/TreeListing.h"
#include "app/UiRelay.h"
#include "drives/TDriveComboBox.h"
#include "platform/VolumeTable.h"
#include "runtime/TThread.h"
#include "scan/TFileAttr.h"
#include "scan/TSearchThread.h"
#include "scanfile/ScanFileTestSupport.h"

namespace zelk {
namespace {

const std::string kDone = "探索完了";
const std::string kAborted = "探索中断";
constexpr char kLetter = 'q';

// width sub-directories per level down to depth, each holding one file.
void MakeTree(const std::string& dir, int width, int depth) {
    std::ofstream(dir + "/f") << std::string(100 + static_cast<std::size_t>(depth), 'x');
    for (int i = 0; depth > 0 && i < width; ++i) {
        const std::string child = dir + "/d" + std::to_string(i);
        ASSERT_EQ(::mkdir(child.c_str(), 0755), 0);
        MakeTree(child, width, depth - 1);
    }
}

// The listing's texts of record's subtree, depth first.
void ListedTexts(const TFileAttr& record, const TFileAttr& root, std::vector<std::string>& out) {
    out.push_back(NodeText(record, root));
    for (const auto& child : record.Children) {
        ListedTexts(*child, root, out);
    }
}

class ScanControl : public ::testing::Test {
  protected:
    void SetUp() override {
        TThread::RecordUiThread();
        relay_ = std::make_unique<UiRelay>();
        // Workers released from their own completion handler end on their own.
        ASSERT_TRUE(PumpUntil([] { return TThread::WorkerCount() == 0; }));
        InstallVolumeTable(std::make_shared<VolumeTable>(
            std::vector<Volume>{{kLetter, DriveKind::Fixed, root_, "test", "ext4"}}));
        form_ = std::make_unique<TfrmMain>();
        form_->FormCreate();
        form_->DriveComboBox1->SelectDrive(kLetter);
    }

    void TearDown() override {
        form_.reset();
        InstallVolumeTable(std::make_shared<VolumeTable>());
        relay_.reset();
    }

    template <typename Condition>
    static bool PumpUntil(Condition done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return done();
    }

    const std::string& Status() const { return form_->StatusBar1->SimpleText(); }
    // Only where the status line held neither completion text before the start.
    bool ScanEnded() const { return Status() == kDone || Status() == kAborted; }

    // The engine alone over the same drive, for the totals a window scan must reach.
    static std::unique_ptr<TFileAttr> EngineScan() {
        auto root = std::make_unique<TFileAttr>();
        TSearchThread thread(true, root.get());
        thread.Drive = kLetter;
        thread.Start();
        thread.AwaitEnd();
        return root;
    }

    const test::TempDir temp_;
    const std::string root_ = temp_.Path();
    std::unique_ptr<UiRelay> relay_;
    std::unique_ptr<TfrmMain> form_;
};

TEST_F(ScanControl, OneScanOnlyEndsFinishedWithTheEngineTotalsAndListsTheTree) {
    MakeTree(root_, 3, 3);
    form_->btnStart->click();
    const TSearchThread* thread = form_->SearchThread.get();
    const TFileAttr* started = form_->RootAttr.get();
    form_->btnStartClick();  // the worker still waits for its first status step
    EXPECT_EQ(form_->SearchThread.get(), thread);
    EXPECT_EQ(form_->RootAttr.get(), started);
    EXPECT_EQ(TThread::WorkerCount(), 1);
    ASSERT_TRUE(PumpUntil([&] { return ScanEnded(); }));
    EXPECT_EQ(Status(), kDone);
    EXPECT_EQ(form_->SearchThread, nullptr);
    ASSERT_NE(form_->RootAttr, nullptr);
    const TFileAttr& root = *form_->RootAttr;
    const auto engine = EngineScan();
    EXPECT_TRUE(root.Searched);
    EXPECT_EQ(root.Size, engine->Size);
    EXPECT_EQ(root.CompressedSize, engine->CompressedSize);
    EXPECT_EQ(root.MaxLevel, 3);
    EXPECT_EQ(root.Path(), "q:");
    EXPECT_EQ(form_->TreeView1->Count(), 1 + 3 + 9 + 27);
}

TEST_F(ScanControl, StopKeepsThePreviousListingAndTheNextStartFreesTheOldTreeAtOnce) {
    MakeTree(root_, 2, 3);
    form_->btnStartClick();
    ASSERT_TRUE(PumpUntil([&] { return ScanEnded(); }));
    const int finishedNodes = form_->TreeView1->Count();
    ASSERT_EQ(finishedNodes, 15);
    std::vector<std::string> listed;
    ListedTexts(*form_->RootAttr, *form_->RootAttr, listed);

    const long before = TFileAttr::LiveCount();
    form_->btnStartClick();
    // The walk waits at its first status step, so only the new root stays once the old tree is
    // freed (on another thread); the nodes, none of whose texts was asked for yet, still give
    // the finished scan's texts.
    BackgroundReleaser::Instance().AwaitIdle();
    EXPECT_EQ(TFileAttr::LiveCount(), before - 15 + 1);
    ASSERT_EQ(form_->TreeView1->Count(), finishedNodes);
    for (int i = 0; i < finishedNodes; ++i) {
        EXPECT_EQ(form_->TreeView1->Item(i)->Text(), listed[static_cast<std::size_t>(i)]);
    }

    const TSearchThread* stopped = form_->SearchThread.get();
    form_->btnStopClick();
    form_->btnStartClick();
    EXPECT_EQ(form_->SearchThread.get(), stopped) << "start before the interruption is reported";
    ASSERT_TRUE(PumpUntil([&] { return form_->SearchThread == nullptr; }));
    EXPECT_EQ(Status(), kAborted);
    ASSERT_NE(form_->RootAttr, nullptr);
    EXPECT_FALSE(form_->RootAttr->Searched);
    EXPECT_EQ(form_->RootAttr->Size, 0);
    EXPECT_EQ(form_->TreeView1->Count(), finishedNodes);

    form_->btnStopClick();  // no scan: nothing
    EXPECT_EQ(Status(), kAborted);
    form_->btnStartClick();
    ASSERT_TRUE(PumpUntil([&] { return form_->SearchThread == nullptr; }));
    EXPECT_EQ(Status(), kDone);
    EXPECT_TRUE(form_->RootAttr->Searched);
}

TEST_F(ScanControl, StopAfterTheWalkEndedStillReportsTheInterruption) {
    // The walk of an empty drive ends before the completion is delivered; the swapped handler
    // wins because both run on this thread.
    form_->btnStartClick();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!form_->SearchThread->BodyDone()) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline);
        std::this_thread::yield();
    }
    form_->btnStopClick();
    ASSERT_TRUE(PumpUntil([&] { return ScanEnded(); }));
    EXPECT_EQ(Status(), kAborted);
}

TEST_F(ScanControl, StatusLineShowsDirectoryPathsDuringTheScan) {
    MakeTree(root_, 6, 4);  // 1554 directories
    form_->btnStartClick();
    bool sawPath = false;
    ASSERT_TRUE(PumpUntil([&] {
        if (!ScanEnded() && !Status().empty()) {
            EXPECT_EQ(Status().rfind("q:\\d", 0), 0u) << Status();
            sawPath = true;
        }
        return ScanEnded();
    }));
    EXPECT_TRUE(sawPath);
    EXPECT_EQ(Status(), kDone);
}

TEST_F(ScanControl, ClosingDuringAScanEndsTheWorkerWithoutAnyCompletionText) {
    MakeTree(root_, 6, 4);
    form_->btnStartClick();
    // Scanning for a while, then closed with a status step possibly pending.
    ASSERT_TRUE(PumpUntil([&] { return Status().rfind("q:\\", 0) == 0; }));
    const std::string shown = Status();
    EXPECT_TRUE(form_->close());
    EXPECT_EQ(form_->SearchThread, nullptr);
    EXPECT_EQ(form_->RootAttr, nullptr);
    EXPECT_EQ(TThread::WorkerCount(), 0);
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    EXPECT_FALSE(ScanEnded()) << Status();
    EXPECT_EQ(Status().rfind("q:\\", 0), 0u);
}

TEST_F(ScanControl, ClosingWhileTheFirstStatusStepWaitsServesItAndShowsNothing) {
    MakeTree(root_, 2, 2);
    form_->TreeView1Click();
    const std::string legend = Status();
    form_->btnStartClick();  // the worker now waits for its first status step
    bool canClose = false;
    form_->FormCloseQuery(canClose);
    EXPECT_TRUE(canClose);
    EXPECT_EQ(form_->SearchThread, nullptr);
    EXPECT_EQ(TThread::WorkerCount(), 0);
    EXPECT_EQ(Status(), legend) << "the pending step found the status line detached";
}

}  // namespace
}  // namespace zelk
