// Guards scans and scan files of real volumes, on a tmpfs (as root; skipped otherwise): a walk
// and an export that lists every file give one tree the same records (a file with several names
// counted once where first met, sparse files at their allocation, each directory dated from
// inside it whatever the year, never by its parent); totals of 2^64 bytes and more save and open
// again; the mount point of another volume is saved as ncdu marks one; and the export's progress
// names real paths, with a name's control characters made harmless on the terminal.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "ScanFileTestSupport.h"
#include "scanfile/ScanExport.h"
#include "scanfile/ScanFileReader.h"
#include "scanfile/ScanFileWriter.h"
#include "scanfile/TerminalProgress.h"
#include "support/TmpfsMount.h"

namespace zelk::test {
namespace {

// An export's entry for path and, for a directory, its entries in the order the directory
// lists them, as the walk meets them.
void AppendEntry(const std::filesystem::path& path, const std::string& name, std::string& out) {
    struct stat st {};
    ASSERT_EQ(lstat(path.c_str(), &st), 0) << path;
    const bool directory = S_ISDIR(st.st_mode);
    out += std::string(directory ? ",[" : ",") + R"({"name":")" + name + R"(","asize":)" +
           std::to_string(directory ? 0 : st.st_size) + R"(,"dsize":)" +
           std::to_string(st.st_blocks * 512) + R"(,"mtime":)" + std::to_string(st.st_mtime) +
           R"(,"dev":)" + std::to_string(st.st_dev) + R"(,"ino":)" + std::to_string(st.st_ino) +
           R"(,"nlink":)" + std::to_string(st.st_nlink) + "}";
    if (directory) {
        for (const auto& entry : std::filesystem::directory_iterator(path)) {
            AppendEntry(entry.path(), entry.path().filename(), out);
        }
        out += "]";
    }
}

// A fresh tmpfs at dir/vol for each test.
class OnTmpfs : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!volume.Mounted()) {
            GTEST_SKIP() << TmpfsMount::kRefused;
        }
    }
    TempDir dir;
    const TmpfsMount volume{dir.Path() + "/vol"};
    const std::string& root = volume.Path();
};

using SameTreeFromEverySource = OnTmpfs;
using ExportOnTmpfs = OnTmpfs;
using ScanFileVolumes = OnTmpfs;

// A tmpfs keeps dates before 1901.
TEST_F(SameTreeFromEverySource, AWalkAndAFullExportGiveTheSameRecords) {
    ASSERT_EQ(Shell("set -e; cd " + dir.Path() + R"sh(; mkdir -p vol/a/c vol/b vol/old
head -c 5000 /dev/zero > vol/a/f; ln vol/a/f vol/b/f2; ln vol/a/f vol/a/c/f3
truncate -s 3000000 vol/b/s; ln vol/b/s vol/a/s2; head -c 9000 /dev/zero > vol/b/p
touch -d '2001-02-03 04:05:06' vol/b/p; touch -d '1890-01-02 03:04:05' vol/old/q vol/old)sh"),
              0);
    std::string full = R"([1,2,{})";
    AppendEntry(root, root, full);
    const std::string walked = dir.Path() + "/walked.json";
    ExportScan(walked, root, nullptr);

    const std::string brief = Brief(*ScanFileReader::Read(walked).Root);
    EXPECT_EQ(Brief(*ScanFileReader::Read(dir.Write("full.json", full + "]")).Root), brief);
    // Each file once, and the old directory keeps its year.
    EXPECT_EQ(brief.rfind("\\ 3014000/", 0), 0u) << brief;
    EXPECT_NE(brief.find("old 0/0 t-"), std::string::npos) << brief;
}

// What a progress drawn into a file shows.
std::string Drawn(std::FILE* file) {
    std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    text.resize(std::fread(text.data(), 1, text.size(), file));
    return text;
}

// The repro of a parent written after its child; the export's progress drawn as it goes.
TEST_F(ExportOnTmpfs, AChildKeepsItsOwnDateUnderANewerParentAndProgressNamesRealPaths) {
    ASSERT_EQ(Shell("set -e; cd " + root + R"sh(; mkdir -p parent/child
echo a >parent/child/old.txt; touch -d 2020-01-01 parent/child/old.txt parent/child
touch -d '2025-11-11 11:11:11' parent)sh"),
              0);
    struct stat child {};
    ASSERT_EQ(::stat((root + "/parent/child").c_str(), &child), 0);
    const std::string exported = dir.Path() + "/t.json";
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        TerminalProgress progress(file);
        ExportScan(exported, root, &progress);
        // The first path is drawn at once, the next ones at most ten times a second.
        EXPECT_EQ(Drawn(file), "\r\033[K" + root + "/parent");
    }
    std::fclose(file);
    const std::string mtime = "\"mtime\":" + std::to_string(child.st_mtime) + "}";
    EXPECT_NE(ReadBytes(exported).find("[{\"name\":\"child\"," + mtime +
                                       ",{\"name\":\"(ファイル)\",\"asize\":2,\"dsize\":2," +
                                       mtime + "]"),
              std::string::npos)
        << ReadBytes(exported);
}

TEST(TerminalProgress, ControlCharactersOfANameShowAsQuestionMarks) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        TerminalProgress progress(file);
        progress.SetSimpleText(
            "/a/esc\033]0;x\007 \xc2\x9b"
            "1m\x7f\x9b\xe3\x81\x82\n");
    }
    EXPECT_EQ(Drawn(file), "\r\033[K/a/esc?]0;x? ?1m??\xe3\x81\x82?\r\033[K");
    std::fclose(file);
}

const TFileAttr* ChildNamed(const TFileAttr& dir, const std::string& name) {
    const auto& all = dir.Children;
    const auto at = std::find_if(all.begin(), all.end(), [&](auto& c) { return c->Name == name; });
    return at == all.end() ? nullptr : at->get();
}

TEST_F(ScanFileVolumes, EightExbibyteFilesSaveAndOpenToTheSameTotalsInBothBases) {
    // The largest file a tmpfs holds, 2^63 - 1 bytes: two of them pass 2^64 in one directory.
    ASSERT_EQ(Shell("cd " + root +
                    " && mkdir sub && truncate -s 9223372036854775807 a b sub/c && "
                    "head -c 5000 /dev/zero >small"),
              0);
    const std::string scanned = dir.Path() + "/scan.json";
    ExportScan(scanned, root, nullptr);
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

TEST_F(ScanFileVolumes, AMountPointInsideIsSavedAsExcludedOtherfsAndNcduKeepsIt) {
    if (Shell("command -v ncdu >/dev/null") != 0) {
        GTEST_SKIP() << "ncdu not installed";
    }
    const TmpfsMount inner(root + "/inner");
    ASSERT_TRUE(inner.Mounted());
    ASSERT_EQ(
        Shell("mkdir " + root + "/plain && head -c 100 /dev/zero >" + inner.Path() + "/hidden"), 0);
    const std::string ours = dir.Path() + "/ours.json";
    ExportScan(ours, root, nullptr);
    // An empty directory to any reader, marked as ncdu marks one it did not cross.
    EXPECT_EQ(Shell(R"(grep -qE '\[\{"name":"inner",[^}]*"excluded":"otherfs"\}\]' )" + ours), 0)
        << ReadBytes(ours);
    const std::string again = dir.Path() + "/again.json", theirs = dir.Path() + "/theirs.json";
    ASSERT_EQ(Shell("ncdu -f " + ours + " -o " + again + " 2>/dev/null && ncdu -x -o " + theirs +
                    " " + root + " 2>/dev/null"),
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
