// Guards scanning a folder from the window: a folder dropped onto it is listed first as
// "a: [folder]" by its real path, chosen and scanned to the end with its own totals, and a save
// names the folder; another folder takes its place in the list; a file or a missing path is
// no folder and is left to the scan files.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/FolderScan.h"
#include "app/ScanFileControl.h"
#include "app/TfrmMain.h"
#include "app/WindowFixture.h"
#include "drives/TDriveComboBox.h"

namespace zelk {
namespace {

class FolderScanTest : public test::WindowFixture {
  protected:
    FolderScanTest() : WindowFixture('q') {}
    void MakeFolder(const std::string& path) {
        std::filesystem::create_directories(path + "/x");
        std::filesystem::create_directories(path + "/y/z");
        std::ofstream(path + "/y/z/f") << std::string(3000, 'z');
        std::ofstream(path + "/f") << std::string(1000, 'r');
    }
    bool Scanned() {
        return test::PumpUntil([this] { return !form_->Scanning() && Status() == "探索完了"; });
    }
    TDriveComboBox& Drives() const { return *form_->Controls().DriveComboBox1; }
};

TEST_F(FolderScanTest, ADroppedFolderIsListedFirstChosenAndScannedAsTheDriveA) {
    const std::string folder = dir_ + "/picked dir";
    MakeFolder(folder);
    std::filesystem::create_directory_symlink(folder, dir_ + "/link");
    Drop(dir_ + "/link");
    ASSERT_TRUE(Scanned());

    const std::string real = std::filesystem::canonical(folder).string();
    EXPECT_EQ(Drives().Entries().front().Text, "a: [" + real + "]");
    EXPECT_EQ(Drives().SelectedDrive(), 'a');
    EXPECT_TRUE(boxes_.empty());
    const TFileAttr& root = *form_->ShownTree();
    EXPECT_EQ(root.Size, 4000);
    ASSERT_EQ(root.Children.size(), 2u);
    EXPECT_EQ(root.MaxLevel, 2);
    EXPECT_EQ(form_->ScanFiles->ShownRootName, real);

    const std::string other = dir_ + "/other";
    MakeFolder(other);
    ASSERT_TRUE(form_->Folders().Scan(other));
    ASSERT_TRUE(Scanned());
    EXPECT_EQ(Drives().Entries().front().Text, "a: [" + other + "]");
    EXPECT_NE(Drives().Entries()[1].Text.substr(0, 2), "a:");

    for (const std::string& no : {other + "/f", dir_ + "/missing"}) {
        EXPECT_FALSE(form_->Folders().Scan(no)) << no;
    }
    EXPECT_EQ(Drives().SelectedDrive(), 'a');
}

}  // namespace
}  // namespace zelk
