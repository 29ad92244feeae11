// Guards that a walk and an export that lists every file give one tree the same records: a file
// with several names counted once where first met, sparse files at their allocation, each
// directory dated from inside it whatever the year.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "ScanFileTestSupport.h"
#include "scanfile/ScanExport.h"
#include "scanfile/ScanFileReader.h"
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

TEST(SameTreeFromEverySource, AWalkAndAFullExportGiveTheSameRecords) {
    const TempDir dir;
    // A tmpfs keeps dates before 1901.
    const TmpfsMount mount(dir.Path() + "/vol");
    if (!mount.Mounted()) {
        GTEST_SKIP() << TmpfsMount::kRefused;
    }
    const std::string& tree = mount.Path();
    ASSERT_EQ(Shell("set -e; cd " + dir.Path() + R"sh(; mkdir -p vol/a/c vol/b vol/old
head -c 5000 /dev/zero > vol/a/f; ln vol/a/f vol/b/f2; ln vol/a/f vol/a/c/f3
truncate -s 3000000 vol/b/s; ln vol/b/s vol/a/s2; head -c 9000 /dev/zero > vol/b/p
touch -d '2001-02-03 04:05:06' vol/b/p; touch -d '1890-01-02 03:04:05' vol/old/q vol/old)sh"),
              0);
    std::string full = R"([1,2,{})";
    AppendEntry(tree, tree, full);
    const std::string walked = dir.Path() + "/walked.json";
    ExportScan(walked, tree, nullptr);

    const std::string brief = Brief(*ScanFileReader::Read(walked).Root);
    EXPECT_EQ(Brief(*ScanFileReader::Read(dir.Write("full.json", full + "]")).Root), brief);
    // Each file once, and the old directory keeps its year.
    EXPECT_EQ(brief.rfind("\\ 3014000/", 0), 0u) << brief;
    EXPECT_NE(brief.find("old 0/0 t-"), std::string::npos) << brief;
}

}  // namespace
}  // namespace zelk::test
