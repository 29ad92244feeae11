// Guards what the window does while work on the shown tree is half done: for a sort or a listing
// still in steps, an open or a save still on its worker, each user action (start, open, save,
// stop, sort, a change of basis, close) leaves nothing reading freed records (the sanitizer run
// says so), shows the tree the last action asked for, lists it whole, sorts it when a sort was
// asked, and leaves no partial or temporary file. The work is held half done by not serving the
// event loop between starting it and taking the action.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "app/BackgroundReleaser.h"
#include "app/RecordTrees.h"
#include "app/ScanFileControl.h"
#include "app/TRadioButton.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "app/WindowFixture.h"
#include "runtime/TThread.h"
#include "scanfile/ScanFileReader.h"
#include "scanfile/ScanFileWriter.h"

namespace zelk {
namespace {

constexpr char kLetter = 'p';
// Enough for a sort and a listing of several steps each.
constexpr int kListSize = 20000;

enum class Work { Sort, Listing, Open, Save };
enum class Action { Start, Open, Save, Stop, Sort, Basis, Close };
// Told apart by the number of the root's children.
enum class Tree { Shown = 3, OpenedFirst = 5, OpenedSecond = 7, Scanned = 2, None = 0 };

// A root with lists of kListSize children, sizes in a scrambled order.
std::unique_ptr<TFileAttr> Lists(int lists) {
    auto root = MakeRoot(0, 0);
    for (int list = 0; list < lists; ++list) {
        TFileAttr& wide = AddRecord(*root, std::to_string(list), 0, 0);
        for (int i = 0; i < kListSize; ++i) {
            const double size = (i * 7919) % 1009;
            AddRecord(wide, "", size, size / (1 + i % 3));
            wide.Size += size;
            wide.CompressedSize += size / (1 + i % 3);
        }
        root->Size += wide.Size;
        root->CompressedSize += wide.CompressedSize;
    }
    return root;
}

long Records(const TFileAttr& record) {
    long count = 1;
    for (const auto& child : record.Children) {
        count += Records(*child);
    }
    return count;
}

bool SortedBySize(const TFileAttr& record) {
    for (std::size_t i = 1; i < record.Children.size(); ++i) {
        if (record.Children[i - 1]->GetSize() < record.Children[i]->GetSize()) {
            return false;
        }
    }
    for (const auto& child : record.Children) {
        if (!SortedBySize(*child)) {
            return false;
        }
    }
    return true;
}

class PendingWork : public test::WindowFixture {
  protected:
    PendingWork() : WindowFixture(kLetter) {}

    void SetUp() override {
        WindowFixture::SetUp();
        std::filesystem::create_directories(root_ + "/a");
        std::filesystem::create_directories(root_ + "/b");
        ScanFileWriter::Save(first_, *Lists(5), "/first", 0);
        ScanFileWriter::Save(second_, *Lists(7), "/second", 0);
    }

    bool Idle() const {
        return !form_->Scanning() && !form_->ScanFiles->Opening() && !form_->ScanFiles->Saving() &&
               !form_->SortPending() && !form_->Controls().TreeView1->Model().Deferring();
    }

    // A finished tree of three lists, listed whole, on the file-size basis.
    void ShowFinishedTree() {
        form_->Controls().rbFileSize->setChecked(true);
        form_->ReplaceShownTree(Lists(3), true);
        form_->RefreshTree();
        form_->Controls().TreeView1->Model().FlushChanges();
    }

    void Begin(Work work) {
        switch (work) {
            case Work::Sort:
                form_->btnSortBySizeClick();
                ASSERT_TRUE(form_->SortPending());
                break;
            case Work::Listing:
                form_->RefreshTree();
                ASSERT_TRUE(form_->Controls().TreeView1->Model().Deferring());
                break;
            case Work::Open:
                form_->ScanFiles->Open(first_);
                ASSERT_TRUE(form_->ScanFiles->Opening());
                break;
            case Work::Save:
                form_->ScanFiles->SaveTo(saved_);
                ASSERT_TRUE(form_->ScanFiles->Saving());
                break;
        }
    }

    void Take(Action action) {
        switch (action) {
            case Action::Start:
                form_->btnStartClick();
                break;
            case Action::Open:
                form_->ScanFiles->Open(second_);
                break;
            case Action::Save:
                form_->ScanFiles->SaveTo(savedByAction_);
                break;
            case Action::Stop:
                form_->btnStopClick();
                break;
            case Action::Sort:
                form_->btnSortBySizeClick();
                break;
            case Action::Basis:
                form_->Controls().rbCompressedSize->setChecked(true);
                form_->rbCompressedSizeClick();
                break;
            case Action::Close: {
                bool canClose = false;
                form_->FormCloseQuery(canClose);
                EXPECT_TRUE(canClose);
                break;
            }
        }
    }

    static Tree Expected(Work work, Action action) {
        switch (action) {
            case Action::Start:
                return Tree::Scanned;
            case Action::Open:
                return Tree::OpenedSecond;
            case Action::Close:
                return Tree::None;
            default:
                return work == Work::Open ? Tree::OpenedFirst : Tree::Shown;
        }
    }

    // A file saved under name is whole: it reads back as the tree it was saved from.
    static void ExpectWholeOrAbsent(const std::string& file) {
        if (std::filesystem::exists(file)) {
            EXPECT_EQ(Records(*ScanFileReader::Read(file).Root), Records(*Lists(3))) << file;
        }
    }

    void ExpectNoTemporaryFile() const {
        for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
            EXPECT_EQ(entry.path().filename().string().rfind(".zelk-", 0), std::string::npos)
                << entry.path();
        }
    }

    const std::string first_ = dir_ + "/first.json";
    const std::string second_ = dir_ + "/second.json.zst";
    const std::string saved_ = dir_ + "/saved.json";
    const std::string savedByAction_ = dir_ + "/again.json.gz";
};

TEST_F(PendingWork, EachActionOnHalfDoneWorkShowsTheTreeLastAskedForWithNothingFreedUnderIt) {
    for (Work work : {Work::Sort, Work::Listing, Work::Open, Work::Save}) {
        for (Action action : {Action::Start, Action::Open, Action::Save, Action::Stop, Action::Sort,
                              Action::Basis, Action::Close}) {
            SCOPED_TRACE("work " + std::to_string(static_cast<int>(work)) + ", action " +
                         std::to_string(static_cast<int>(action)));
            std::filesystem::remove(saved_);
            std::filesystem::remove(savedByAction_);
            ShowFinishedTree();
            Begin(work);
            Take(action);
            ASSERT_TRUE(test::PumpUntil([&] { return Idle(); }, std::chrono::seconds(120)));
            const Tree expected = Expected(work, action);
            const TFileAttr* shown = form_->ShownTree();
            if (expected == Tree::None) {
                EXPECT_EQ(shown, nullptr);
                EXPECT_EQ(TThread::WorkerCount(), 0);
            } else {
                ASSERT_NE(shown, nullptr);
                EXPECT_EQ(static_cast<int>(shown->Children.size()), static_cast<int>(expected));
                EXPECT_EQ(form_->Controls().TreeView1->Count(), Records(*shown));
            }
            if (expected == Tree::Shown && (work == Work::Sort || action == Action::Sort)) {
                EXPECT_TRUE(SortedBySize(*shown));
            }
            // A second save waits for none: it is refused while the first runs.
            EXPECT_EQ(std::filesystem::exists(savedByAction_),
                      action == Action::Save && work != Work::Save);
            ExpectWholeOrAbsent(saved_);
            ExpectWholeOrAbsent(savedByAction_);
            if (work == Work::Save && action != Action::Close) {
                EXPECT_TRUE(std::filesystem::exists(saved_)) << "only a close abandons a save";
            }
            ExpectNoTemporaryFile();
            EXPECT_TRUE(boxes_.empty()) << boxes_.front();
            BackgroundReleaser::Instance().AwaitIdle();
        }
    }
}

}  // namespace
}  // namespace zelk
