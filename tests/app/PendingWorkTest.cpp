// Guards what the window does while work on the shown tree is half done: for a sort or a listing
// still in steps, an open or a save still on its worker, each user action (start, open, save,
// stop, sort, a change of basis, close) leaves nothing reading freed records (the sanitizer run
// says so), shows the tree the last action asked for, lists it whole, sorts it when a sort was
// asked, and leaves no partial or temporary file. The work is held half done by not serving the
// event loop between starting it and taking the action.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>

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

// Told apart by the number of the root's children; Kept is the tree the work leaves.
enum class Tree { Shown = 3, OpenedFirst = 5, OpenedSecond = 7, Scanned = 2, None = 0, Kept };

// A root with lists of kListSize children, sizes in a scrambled order.
std::unique_ptr<TFileAttr> Lists(int lists) {
    auto root = MakeRoot(0, 0);
    for (int list = 0; list < lists; ++list) {
        TFileAttr& wide = AddRecord(*root, std::to_string(list), 0, 0);
        for (int i = 0; i < kListSize; ++i) {
            const double size = (i * 7919) % 1009;
            AddCounted(wide, std::to_string(i), size, size / (1 + i % 3));
        }
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
    const auto size = [](const auto& child) { return child->GetSize(); };
    return std::ranges::is_sorted(record.Children, std::greater<>(), size) &&
           std::ranges::all_of(record.Children, [](const auto& c) { return SortedBySize(*c); });
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

    // A file saved under name is whole: it reads back as the tree it was saved from.
    static void ExpectWholeOrAbsent(const std::string& file) {
        if (std::filesystem::exists(file)) {
            EXPECT_EQ(Records(*ScanFileReader::Read(file).Root), Records(*Lists(3))) << file;
        }
    }

    const std::string first_ = dir_ + "/first.json";
    const std::string second_ = dir_ + "/second.json.zst";
    const std::string saved_ = dir_ + "/saved.json";
    const std::string savedByAction_ = dir_ + "/again.json.gz";
};

TEST_F(PendingWork, EachActionOnHalfDoneWorkShowsTheTreeLastAskedForWithNothingFreedUnderIt) {
    TTreeView& listing = *form_->Controls().TreeView1;
    // Each work, begun, and whether it is still half done.
    const std::tuple<std::string_view, std::function<void()>, std::function<bool()>> works[] = {
        {"sort", [&] { form_->btnSortBySizeClick(); }, [&] { return form_->SortPending(); }},
        {"listing", [&] { form_->RefreshTree(); }, [&] { return listing.Model().Deferring(); }},
        {"open", [&] { form_->ScanFiles->Open(first_); },
         [&] { return form_->ScanFiles->Opening(); }},
        {"save", [&] { form_->ScanFiles->SaveTo(saved_); },
         [&] { return form_->ScanFiles->Saving(); }}};
    const std::tuple<std::string_view, std::function<void()>, Tree> actions[] = {
        {"start", [&] { form_->btnStartClick(); }, Tree::Scanned},
        {"open", [&] { form_->ScanFiles->Open(second_); }, Tree::OpenedSecond},
        {"save", [&] { form_->ScanFiles->SaveTo(savedByAction_); }, Tree::Kept},
        {"stop", [&] { form_->btnStopClick(); }, Tree::Kept},
        {"sort", [&] { form_->btnSortBySizeClick(); }, Tree::Kept},
        {"basis", [&] { form_->Controls().rbCompressedSize->click(); }, Tree::Kept},
        {"close",
         [&] {
             bool canClose = false;
             form_->FormCloseQuery(canClose);
             EXPECT_TRUE(canClose);
         },
         Tree::None}};
    for (const auto& [work, begin, halfDone] : works) {
        for (const auto& [action, take, asked] : actions) {
            SCOPED_TRACE("work " + std::string(work) + ", action " + std::string(action));
            const bool saving = work == "save";
            std::filesystem::remove(saved_);
            std::filesystem::remove(savedByAction_);
            // A finished tree of three lists, listed whole, on the file-size basis.
            form_->Controls().rbFileSize->setChecked(true);
            form_->ReplaceShownTree(Lists(3), true);
            form_->RefreshTree();
            listing.Model().FlushChanges();
            begin();
            ASSERT_TRUE(halfDone());
            take();
            ASSERT_TRUE(Settle(std::chrono::seconds(120)));
            const Tree kept = work == "open" ? Tree::OpenedFirst : Tree::Shown;
            const Tree expected = asked == Tree::Kept ? kept : asked;
            const TFileAttr* shown = form_->ShownTree();
            if (expected == Tree::None) {
                EXPECT_EQ(shown, nullptr);
                EXPECT_EQ(TThread::WorkerCount(), 0);
            } else {
                ASSERT_NE(shown, nullptr);
                EXPECT_EQ(static_cast<int>(shown->Children.size()), static_cast<int>(expected));
                EXPECT_EQ(listing.Count(), Records(*shown));
            }
            if (expected == Tree::Shown && (work == "sort" || action == "sort")) {
                EXPECT_TRUE(SortedBySize(*shown));
            }
            // A second save waits for none: it is refused while the first runs.
            EXPECT_EQ(std::filesystem::exists(savedByAction_), action == "save" && !saving);
            ExpectWholeOrAbsent(saved_);
            ExpectWholeOrAbsent(savedByAction_);
            if (saving && action != "close") {
                EXPECT_TRUE(std::filesystem::exists(saved_)) << "only a close abandons a save";
            }
            for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
                EXPECT_NE(entry.path().filename().string().rfind(".zelk-", 0), 0u) << entry.path();
            }
            EXPECT_TRUE(boxes_.empty()) << boxes_.front();
            BackgroundReleaser::Instance().AwaitIdle();
        }
    }
}

}  // namespace
}  // namespace zelk
