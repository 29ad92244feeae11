// Guards the scans the window keeps: each finished scan lands in the data folder as a file only
// the user may read, the eleventh of a place removes its oldest, and a data folder that takes no
// file leaves every scan working, the status line saying why.

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <QAction>

#include "app/GraphPage.h"
#include "app/KeptScanControl.h"
#include "app/RecordTrees.h"
#include "app/ScanFileControl.h"
#include "app/TTreeNode.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "app/WindowFixture.h"
#include "scanfile/ScanFileReader.h"
#include "support/TmpfsMount.h"

namespace zelk {
namespace {

using test::PumpUntil;

class KeptScansWindow : public test::WindowFixture {
  protected:
    KeptScansWindow() : WindowFixture('k') {}

    void SetUp() override {
        // Read when the window is made; the run's own folder again after the test.
        const char* before = std::getenv("XDG_DATA_HOME");
        before_ = before != nullptr ? before : "";
        ::setenv("XDG_DATA_HOME", data_.c_str(), 1);
        WindowFixture::SetUp();
    }
    void TearDown() override {
        WindowFixture::TearDown();
        ::setenv("XDG_DATA_HOME", before_.c_str(), 1);
    }

    KeptScanControl& Kept() const { return form_->ScanFiles->Kept(); }
    // A scan of `bytes` more in a/b, shown and kept (or refused keeping).
    void Scan(std::size_t bytes) {
        std::filesystem::create_directories(root_ + "/a/b");
        std::ofstream(root_ + "/a/b/f", std::ios::app) << std::string(bytes, 'x');
        form_->btnStartClick();
        ASSERT_TRUE(Settle());
        ASSERT_NE(form_->FinishedTree(), nullptr);
    }

    std::string before_;
    const std::string data_ = dir_ + "/data";
};

TEST_F(KeptScansWindow, EveryScanIsKeptPrivatelyAndTheEleventhRemovesTheOldest) {
    Scan(1000);
    const auto first = Kept().Keeper().List(root_);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(Status(), "探索完了");
    for (int scan = 2; scan <= 11; ++scan) {
        Scan(1000);
    }
    const auto kept = Kept().Keeper().List(root_);
    ASSERT_EQ(kept.size(), 10u);
    EXPECT_GT(kept.back().Stamp, first[0].Stamp);
    EXPECT_EQ(ScanFileReader::Read(kept.front().File).Root->Size, 11000);
    struct stat st {};
    ASSERT_EQ(::stat(Kept().Keeper().Folder().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    for (const auto& scan : kept) {
        ASSERT_EQ(::stat(scan.File.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0600u) << scan.File;
    }
    // The one before the scan shown, not the shown one's own.
    EXPECT_EQ(Kept().PreviousFile(), kept[1].File);
}

TEST_F(KeptScansWindow, CompareWithThePreviousScanShowsTheGrowthBetweenTwoScans) {
    const test::TmpfsMount volume(root_, "1m");
    if (!volume.Mounted()) {
        GTEST_SKIP() << test::TmpfsMount::kRefused;
    }
    Scan(1000);
    Kept().CompareWithPrevious();
    EXPECT_EQ(Status(), "前回の検索がありません");
    EXPECT_EQ(form_->ShownComparison(), nullptr);
    std::filesystem::create_directories(root_ + "/a/new");
    Scan(234);
    Kept().CompareAction().trigger();
    const TTreeView& tree = *form_->Controls().TreeView1;
    ASSERT_TRUE(PumpUntil(
        [&] { return form_->ShownComparison() != nullptr && !tree.Model().Deferring(); }));
    std::map<std::string, std::string> brackets;
    for (int i = 0; i < tree.Count(); ++i) {
        const std::string text = tree.Item(i)->Text();
        brackets[text.substr(0, text.find(' '))] = text.substr(text.rfind(" ["));
    }
    // a/b's file grew, a/new is new.
    EXPECT_EQ(brackets,
              (std::map<std::string, std::string>{
                  {"\\", " [+234]"}, {"a", " [+234]"}, {"b", " [+234]"}, {"new", " [新規]"}}));
    const TFileAttr& b = *RecordAt(*form_->ShownTree(), "a/b");  // the graph's too
    EXPECT_TRUE(form_->Graph().ToolTipOf(b).endsWith(" [+234]"));
}

TEST_F(KeptScansWindow, WithReadOnlyDataEveryScanStillWorksAndTheStatusLineSaysWhy) {
    const test::TmpfsMount volume(data_, "1m");
    if (!volume.Mounted() ||
        ::mount(nullptr, data_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) != 0) {
        GTEST_SKIP() << test::TmpfsMount::kRefused;
    }
    for (std::size_t scan = 1; scan <= 2; ++scan) {
        Scan(1000);
        EXPECT_EQ(form_->ShownTree()->Size, 1000.0 * static_cast<double>(scan));
        EXPECT_GT(form_->Controls().TreeView1->Count(), 2);
        EXPECT_EQ(Status(), "検索結果を保管できません: Read-only file system");
    }
    EXPECT_TRUE(boxes_.empty());
    EXPECT_FALSE(Kept().PreviousFile());
}

}  // namespace
}  // namespace zelk
