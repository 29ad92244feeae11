// Guards scan files of real volumes: totals of 2^64 bytes and more save and open again, and the
// mount point of another volume is saved as ncdu marks one.

#include <gtest/gtest.h>

#include <string>

#include "ScanFileTestSupport.h"
#include "scanfile/ScanExport.h"
#include "scanfile/ScanFileReader.h"
#include "scanfile/ScanFileWriter.h"
#include "support/TmpfsMount.h"

namespace zelk::test {
namespace {

const TFileAttr* ChildNamed(const TFileAttr& dir, const std::string& name) {
    for (const auto& child : dir.Children) {
        if (child->Name == name) {
            return child.get();
        }
    }
    return nullptr;
}

TEST(ScanFileVolumes, EightExbibyteFilesSaveAndOpenToTheSameTotalsInBothBases) {
    const TempDir dir;
    const TmpfsMount volume(dir.Path() + "/vol");
    if (!volume.Mounted()) {
        GTEST_SKIP() << TmpfsMount::kRefused;
    }
    // The largest file a tmpfs holds, 2^63 - 1 bytes: two of them pass 2^64 in one directory.
    ASSERT_EQ(Shell("cd " + volume.Path() +
                    " && mkdir sub && truncate -s 9223372036854775807 a b sub/c && "
                    "head -c 5000 /dev/zero >small"),
              0);
    const std::string scanned = dir.Path() + "/scan.json";
    ExportScan(scanned, volume.Path(), nullptr);
    const ScanFile first = ScanFileReader::Read(scanned);
    constexpr double kLargest = 9223372036854775807.0;  // 2^63 as a double
    EXPECT_EQ(first.Root->Size, 3 * kLargest + 5000);
    EXPECT_EQ(first.Root->CompressedSize, 5000);
    ASSERT_NE(ChildNamed(*first.Root, "sub"), nullptr);
    EXPECT_EQ(ChildNamed(*first.Root, "sub")->Size, kLargest);
    for (const char* name : {"/again.json", "/again.json.zst"}) {
        ScanFileWriter::Save(dir.Path() + name, *first.Root, first.RootName, 0);
        const ScanFile again = ScanFileReader::Read(dir.Path() + name);
        EXPECT_EQ(again.Root->Size, first.Root->Size) << name;
        EXPECT_EQ(again.Root->CompressedSize, first.Root->CompressedSize) << name;
        EXPECT_EQ(ChildNamed(*again.Root, "sub")->Size, kLargest) << name;
        EXPECT_EQ(again.Root->Children.size(), 1u) << name;
    }
}

TEST(ScanFileVolumes, AMountPointInsideIsSavedAsExcludedOtherfsAndNcduKeepsIt) {
    if (Shell("command -v ncdu >/dev/null") != 0) {
        GTEST_SKIP() << "ncdu not installed";
    }
    const TempDir dir;
    const TmpfsMount outer(dir.Path() + "/vol");
    if (!outer.Mounted()) {
        GTEST_SKIP() << TmpfsMount::kRefused;
    }
    const TmpfsMount inner(outer.Path() + "/inner");
    ASSERT_TRUE(inner.Mounted());
    ASSERT_EQ(Shell("mkdir " + outer.Path() + "/plain && head -c 100 /dev/zero >" + inner.Path() +
                    "/hidden"),
              0);
    const std::string ours = dir.Path() + "/ours.json";
    ExportScan(ours, outer.Path(), nullptr);
    // An empty directory to any reader, marked as ncdu marks one it did not cross.
    EXPECT_EQ(Shell(R"(grep -qE '\[\{"name":"inner",[^}]*"excluded":"otherfs"\}\]' )" + ours), 0)
        << ReadBytes(ours);
    const std::string again = dir.Path() + "/again.json";
    const std::string theirs = dir.Path() + "/theirs.json";
    ASSERT_EQ(Shell("ncdu -f " + ours + " -o " + again + " 2>/dev/null && ncdu -x -o " + theirs +
                    " " + outer.Path() + " 2>/dev/null"),
              0);
    // ncdu read it as a mount point it did not cross, and writes it so again (ncdu 1.x spells
    // it "othfs").
    EXPECT_EQ(Shell(R"(grep -qE '\{"name":"inner",[^}]*"excluded":"othe?r?fs"\}' )" + again), 0)
        << ReadBytes(again);
    for (const std::string& file : {ours, again, theirs}) {
        const ScanFile read = ScanFileReader::Read(file);
        const TFileAttr* mount = ChildNamed(*read.Root, "inner");
        ASSERT_NE(mount, nullptr) << file;
        EXPECT_TRUE(mount->OtherVolume) << file;
        EXPECT_EQ(mount->Size, 0) << file;
        EXPECT_FALSE(ChildNamed(*read.Root, "plain")->OtherVolume) << file;
    }
}

}  // namespace
}  // namespace zelk::test
