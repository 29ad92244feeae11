// Guards scanning from the main window: start, stop, the completion texts, what the window keeps
// of the previous scan (its listing still readable once its records are freed), the status line
// during a walk, and closing while a walk runs; and scan files in the window: a scan saved and
// opened again shows the same node texts and bars on both size bases and after sorting, a bad
// file dropped onto the window ends in its error box and leaves what was shown, no file opens
// or saves during a scan, an open stuck in a read holds up no other, and the command line's
// export without a display equals the window's save; a folder dropped onto the window is listed
// first as "a: [folder]" by its real path and scanned with its own totals, another takes its
// place, and a file or a missing path is left to the scan files. The worker is held at its
// first status step simply by not serving the loop.

#include <gtest/gtest.h>

#include <unistd.h>

#include <QCoreApplication>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "app/BackgroundReleaser.h"
#include "app/CommandLine.h"
#include "app/FolderScan.h"
#include "app/ScanFileControl.h"
#include "app/TRadioButton.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "app/TreeListing.h"
#include "app/WindowFixture.h"
#include "drives/TDriveComboBox.h"
#include "runtime/TThread.h"
#include "scan/TFileAttr.h"
#include "scan/TSearchThread.h"
#include "scanfile/ScanFileTestSupport.h"

namespace zelk {
namespace {

const std::string kDone = "探索完了";
const std::string kAborted = "探索中断";
constexpr char kLetter = 'q';
using test::PumpUntil;
using test::ReadBytes;
using test::Shell;

// width sub-directories per level down to depth, each holding one file.
void MakeTree(const std::string& dir, int width, int depth) {
    std::filesystem::create_directories(dir);
    std::ofstream(dir + "/f") << std::string(100 + static_cast<std::size_t>(depth), 'x');
    for (int i = 0; depth > 0 && i < width; ++i) {
        MakeTree(dir + "/d" + std::to_string(i), width, depth - 1);
    }
}

// The main window over drive q:.
class WindowScan : public test::WindowFixture {
  protected:
    WindowScan() : WindowFixture(kLetter) {}

    // Only where the status line held neither completion text before the start.
    bool ScanEnded() const { return Status() == kDone || Status() == kAborted; }

    void ScanToTheEnd() {
        form_->btnStartClick();
        Settle();
        ASSERT_EQ(Status(), kDone);
    }
    // The sample tree scanned, and saved to dir_/name unless that is empty.
    void ScanSample(const std::string& name = "") {
        test::MakeSampleTree(dir_);
        ScanToTheEnd();
        if (!name.empty()) {
            form_->ScanFiles->SaveTo(dir_ + "/" + name);
            Settle();
        }
    }

    // What the window shows: every node text, then every bar height on both size bases.
    std::vector<std::string> Shown() {
        std::vector<std::string> shown = Texts();
        TTreeView& tree = *form_->Controls().TreeView1;
        for (TRadioButton* basis :
             {form_->Controls().rbCompressedSize, form_->Controls().rbFileSize}) {
            basis->setChecked(true);
            for (int i = 0; i < tree.Count(); ++i) {
                const TFileAttr& record = *RecordOf(*form_->ShownTree(), *tree.Item(i));
                shown.push_back(std::to_string(form_->BarHeight(record)));
            }
        }
        return shown;
    }
};

// The engine alone over the same drive gives the totals a window scan must reach.
std::string Totals(const TFileAttr& root) {
    return root.Path() + (root.Searched ? " searched " : " unsearched ") +
           std::to_string(root.Size) + " " + std::to_string(root.CompressedSize) + " levels " +
           std::to_string(root.MaxLevel);
}

TEST_F(WindowScan, OneScanOnlyEndsFinishedWithTheEngineTotalsAndListsTheTree) {
    MakeTree(root_, 3, 3);
    form_->Controls().btnStart->click();
    const auto started = std::pair(form_->ScanWorker(), form_->ShownTree());
    form_->btnStartClick();  // the worker still waits for its first status step
    EXPECT_EQ(std::pair(form_->ScanWorker(), form_->ShownTree()), started);
    EXPECT_EQ(TThread::WorkerCount(), 1);
    ASSERT_TRUE(PumpUntil([&] { return ScanEnded(); }));
    EXPECT_EQ(Status(), kDone);
    EXPECT_FALSE(form_->Scanning());
    TFileAttr engine;
    TSearchThread alone(true, &engine);
    alone.Drive = kLetter;
    alone.Start();
    alone.AwaitEnd();
    EXPECT_EQ(Totals(*form_->ShownTree()), Totals(engine));
    EXPECT_EQ(form_->Controls().TreeView1->Count(), 1 + 3 + 9 + 27);
}

TEST_F(WindowScan, StopKeepsThePreviousListingAndTheNextStartFreesTheOldTreeAtOnce) {
    MakeTree(root_, 2, 3);
    form_->btnStartClick();
    ASSERT_TRUE(PumpUntil([&] { return ScanEnded() && !form_->ScanFiles->Kept().Keeping(); }));
    const int finishedNodes = form_->Controls().TreeView1->Count();  // 15
    std::vector<std::string> listed;  // from the records: no node's text is asked for yet
    for (int i = 0; i < finishedNodes; ++i) {
        const TFileAttr& root = *form_->ShownTree();
        listed.push_back(NodeText(*RecordOf(root, *form_->Controls().TreeView1->Item(i)), root));
    }

    BackgroundReleaser::Instance().AwaitIdle();  // what earlier tests left to free
    const long before = TFileAttr::LiveCount();
    form_->btnStartClick();
    // The walk waits at its first status step, so only the new root stays once the old tree is
    // freed (on another thread); the nodes, none of whose texts was asked for yet, still give
    // the finished scan's texts.
    BackgroundReleaser::Instance().AwaitIdle();
    EXPECT_EQ(TFileAttr::LiveCount(), before - finishedNodes + 1);
    EXPECT_EQ(Texts(), listed);

    const TSearchThread* stopped = form_->ScanWorker();
    form_->btnStopClick();
    form_->btnStartClick();
    EXPECT_EQ(form_->ScanWorker(), stopped) << "start before the interruption is reported";
    ASSERT_TRUE(PumpUntil([&] { return !form_->Scanning(); }));
    EXPECT_EQ(Status(), kAborted);
    EXPECT_EQ(Totals(*form_->ShownTree()), "q: unsearched 0.000000 0.000000 levels 0");
    EXPECT_EQ(form_->Controls().TreeView1->Count(), finishedNodes);

    form_->btnStopClick();  // no scan: nothing
    EXPECT_EQ(Status(), kAborted);
    ScanToTheEnd();
}

TEST_F(WindowScan, StopAfterTheWalkEndedStillReportsTheInterruption) {
    // The walk of an empty drive ends before the completion is delivered; the swapped handler
    // wins because both run on this thread.
    std::filesystem::create_directory(root_);
    form_->btnStartClick();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!form_->ScanWorker()->BodyDone()) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline);
        std::this_thread::yield();
    }
    form_->btnStopClick();
    ASSERT_TRUE(PumpUntil([&] { return ScanEnded(); }));
    EXPECT_EQ(Status(), kAborted);
}

TEST_F(WindowScan, ClosingDuringAScanEndsTheWorkerWithoutAnyCompletionText) {
    MakeTree(root_, 6, 4);  // 1554 directories
    form_->btnStartClick();
    // Scanning for a while, showing directory paths, then closed with a status step possibly
    // pending.
    ASSERT_TRUE(PumpUntil([&] { return Status().rfind("q:\\d", 0) == 0; }));
    form_->close();  // the main window: it stays until the (here idle) loop ends
    EXPECT_FALSE(form_->Scanning());
    EXPECT_EQ(form_->ShownTree(), nullptr);
    EXPECT_EQ(TThread::WorkerCount(), 0);
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    EXPECT_EQ(Status().rfind("q:\\d", 0), 0u) << Status();
}

TEST_F(WindowScan, ClosingWhileTheFirstStatusStepWaitsServesItAndShowsNothing) {
    MakeTree(root_, 2, 2);
    form_->TreeView1Click();
    const std::string legend = Status();
    form_->btnStartClick();  // the worker now waits for its first status step
    bool canClose = false;
    form_->FormCloseQuery(canClose);
    EXPECT_TRUE(canClose);
    EXPECT_FALSE(form_->Scanning());
    EXPECT_EQ(TThread::WorkerCount(), 0);
    EXPECT_EQ(Status(), legend) << "the pending step found the status line detached";
}

// Every format reads back the same records (the scan-file tests); the window shows them alike.
TEST_F(WindowScan, SavedScanOpensShowingTheSameTextsAndBarsBeforeAndAfterSorting) {
    ScanSample();
    const std::vector<std::string> scanned = Shown();
    ASSERT_EQ(form_->Controls().TreeView1->Count(), 7);
    form_->btnSortBySizeClick();
    const std::vector<std::string> sorted = Shown();
    ScanToTheEnd();
    const std::string file = dir_ + "/s.json.zst";
    form_->ScanFiles->SaveTo(file);
    EXPECT_EQ(Status(), "保存中: 0 ディレクトリ");
    Settle();
    EXPECT_EQ(Status(), "保存完了: " + file);
    form_->ScanFiles->Open(file);
    Settle();
    EXPECT_EQ(Status(), "読込完了: " + file);
    EXPECT_EQ(Shown(), scanned);
    form_->btnSortBySizeClick();
    EXPECT_EQ(Shown(), sorted);
    EXPECT_TRUE(boxes_.empty());
}

// The reasons themselves are the reader's tests; here a missing and a malformed file.
TEST_F(WindowScan, ABadFileEndsInItsErrorBoxAndTheWindowKeepsWhatItShowed) {
    ScanSample();
    const std::string malformed = temp_.Write("malformed.json", R"([1,2,{},[{"name":"/"},}]])");
    const std::vector<std::string> before = Shown();
    const TFileAttr* shownRoot = form_->ShownTree();
    for (const std::string& file : {dir_ + "/missing.json", malformed}) {
        boxes_.clear();
        Drop(file);
        ASSERT_EQ(boxes_.size(), 1u) << file;
        EXPECT_EQ(boxes_[0].rfind("ファイル「" + file + "」を読めません: ", 0), 0u) << boxes_[0];
        EXPECT_EQ(form_->ShownTree(), shownRoot) << file;
        EXPECT_EQ(Status(), kDone) << file;
        EXPECT_EQ(Shown(), before) << file;
    }
}

TEST_F(WindowScan, NoOpenOrSaveDuringAScanAndSavingNeedsAFinishedScan) {
    test::MakeSampleTree(dir_);
    const std::string file = dir_ + "/s.json";
    form_->ScanFiles->SaveTo(file);  // nothing scanned yet
    EXPECT_FALSE(form_->ScanFiles->Saving());
    ScanToTheEnd();
    form_->ScanFiles->SaveTo(file);
    Settle();
    form_->btnStartClick();
    const TFileAttr* scanning = form_->ShownTree();
    form_->ScanFiles->Open(file);
    EXPECT_FALSE(form_->ScanFiles->Opening());
    form_->ScanFiles->SaveTo(dir_ + "/during.json");
    EXPECT_FALSE(form_->ScanFiles->Saving());
    Settle();
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/during.json"));
    EXPECT_EQ(form_->ShownTree(), scanning);
    EXPECT_EQ(Status(), kDone);
    EXPECT_TRUE(boxes_.empty());
}

// A read that waits in the kernel (standard input with no data yet, as a hung mount would) is
// left behind by the next open, which shows its file at once; it is freed once it lets go.
TEST_F(WindowScan, ANewOpenNeverWaitsForAnOpenStuckInARead) {
    ScanSample("s.json");
    const std::string file = dir_ + "/s.json";
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const int savedInput = ::dup(STDIN_FILENO);
    ::dup2(pipeEnds[0], STDIN_FILENO);
    form_->ScanFiles->Open("-");
    ASSERT_TRUE(form_->ScanFiles->Opening());
    const auto start = std::chrono::steady_clock::now();
    form_->ScanFiles->Open(file);
    Settle();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(Status(), "読込完了: " + file);
    ::close(pipeEnds[1]);  // the stuck read ends; its error is nobody's to show
    EXPECT_TRUE(PumpUntil([] { return TThread::WorkerCount() == 0; }));
    ::dup2(savedInput, STDIN_FILENO);
    ::close(savedInput);
    ::close(pipeEnds[0]);
    EXPECT_EQ(Status(), "読込完了: " + file);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(WindowScan, ExportWithoutADisplayEqualsTheWindowsSave) {
    ScanSample("window.json");
    ASSERT_EQ(
        Shell("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " ZELK_PROGRAM " --export " +
              dir_ + "/command.json " + root_ + " 2>" + dir_ + "/err"),
        0)
        << ReadBytes(dir_ + "/err");
    EXPECT_EQ(ReadBytes(dir_ + "/err"), "") << "progress only on a terminal";
    // The two differ only in when they were written.
    const auto undated = [](std::string text) {
        const std::size_t at = text.find("\"timestamp\":");
        return at == std::string::npos ? text : text.erase(at, text.find('}', at) - at);
    };
    EXPECT_EQ(undated(ReadBytes(dir_ + "/command.json")),
              undated(ReadBytes(dir_ + "/window.json")));
}

TEST_F(WindowScan, ADroppedFolderIsListedFirstChosenAndScannedAsTheDriveA) {
    const std::string folder = dir_ + "/picked dir";
    MakeTree(folder, 2, 2);
    std::filesystem::create_directory_symlink(folder, dir_ + "/link");
    Drop(dir_ + "/link");
    ASSERT_TRUE(PumpUntil([&] { return ScanEnded(); }));
    EXPECT_EQ(Status(), kDone);
    const TDriveComboBox& drives = *form_->Controls().DriveComboBox1;
    const std::string real = std::filesystem::canonical(folder).string();
    EXPECT_EQ(drives.Entries().front().Text, "a: [" + real + "]");
    EXPECT_EQ(drives.SelectedDrive(), 'a');
    EXPECT_TRUE(boxes_.empty());
    const TFileAttr& root = *form_->ShownTree();
    EXPECT_EQ(std::tuple(root.Size, root.Children.size(), root.MaxLevel),
              std::tuple(704.0, std::size_t{2}, 2));
    EXPECT_EQ(form_->ScanFiles->ShownRootName, real);

    const std::string other = dir_ + "/other";
    MakeTree(other, 1, 0);
    ASSERT_TRUE(form_->Folders().Scan(other));
    ASSERT_TRUE(Settle());
    EXPECT_EQ(drives.Entries().front().Text, "a: [" + other + "]");
    EXPECT_NE(drives.Entries()[1].Text.substr(0, 2), "a:");
    for (const std::string& no : {other + "/f", dir_ + "/missing"}) {
        EXPECT_FALSE(form_->Folders().Scan(no)) << no;
    }
    EXPECT_EQ(drives.SelectedDrive(), 'a');
}

}  // namespace
}  // namespace zelk
