// Guards the scan without a window on a real tmpfs (as root; skipped otherwise): a directory is
// dated by itself and what lies below it, never by its parent, in its record and in its files'
// entry; and its progress names real paths, with a name's control characters made harmless on
// the terminal.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "ScanFileTestSupport.h"
#include "scanfile/ScanExport.h"
#include "scanfile/TerminalProgress.h"
#include "support/TmpfsMount.h"

namespace zelk::test {
namespace {

// What a progress drawn into a file shows.
std::string Drawn(std::FILE* file) {
    std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    text.resize(std::fread(text.data(), 1, text.size(), file));
    return text;
}

class ExportOnTmpfs : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!volume.Mounted()) {
            GTEST_SKIP() << TmpfsMount::kRefused;
        }
        // The repro of a parent written after its child.
        ASSERT_EQ(Shell("set -e; cd " + root + R"sh(; mkdir -p parent/child
echo a >parent/child/old.txt; touch -d 2020-01-01 parent/child/old.txt parent/child
touch -d '2025-11-11 11:11:11' parent)sh"),
                  0);
    }
    TempDir dir;
    const TmpfsMount volume{dir.Path() + "/t"};
    const std::string& root = volume.Path();
};

TEST_F(ExportOnTmpfs, AChildKeepsItsOwnDateUnderANewerParent) {
    struct stat child {};
    ASSERT_EQ(::stat((root + "/parent/child").c_str(), &child), 0);
    const std::string exported = dir.Path() + "/t.json";
    ExportScan(exported, root, nullptr);

    const std::string mtime = "\"mtime\":" + std::to_string(child.st_mtime) + "}";
    EXPECT_NE(ReadBytes(exported).find("[{\"name\":\"child\"," + mtime +
                                       ",{\"name\":\"(ファイル)\",\"asize\":2,\"dsize\":2," +
                                       mtime + "]"),
              std::string::npos)
        << ReadBytes(exported);
}

TEST_F(ExportOnTmpfs, ProgressNamesTheRealPathOfEachDirectory) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        TerminalProgress progress(file);
        ExportScan(dir.Path() + "/t.json", root, &progress);
        // The first path is drawn at once, the next ones at most ten times a second.
        EXPECT_EQ(Drawn(file), "\r\033[K" + root + "/parent");
    }
    std::fclose(file);
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

}  // namespace
}  // namespace zelk::test
