// Guards `zelk --compare OLD NEW --top N`: on a tree scanned, changed (files grown, shrunk and
// made sparse, directories added and removed) and scanned again, the lines are the directories
// that grew most with their sizes now and then and real paths, on both bases, the same from the
// scan file or the directory, with or without a display; a file that cannot be read or a bad N
// ends with one line and exit code 1.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scanfile/ScanFileTestSupport.h"
#include "support/TmpfsMount.h"

namespace zelk {
namespace {

using test::ReadBytes;
using test::Shell;

class CompareTop : public testing::Test {
  protected:
    void SetUp() override {
        if (!volume_.Mounted()) {  // a tmpfs, whose allocation is known
            GTEST_SKIP() << test::TmpfsMount::kRefused;
        }
        const std::string in = "set -e; cd " + drive_ + "; ";
        ASSERT_EQ(Shell(in + "mkdir -p a/b c gone; head -c 5000 /dev/zero >a/f\n"
                             "head -c 100 /dev/zero >c/f; head -c 700 /dev/zero >gone/f"),
                  0);
        ASSERT_EQ(Run("--export " + old_ + " " + drive_), 0) << ReadBytes(err_);
        // A million bytes in a/b/sparse that take no room.
        ASSERT_EQ(
            Shell(in + "rm -r gone; head -c 3000 /dev/zero >a/b/g; truncate -s 50 c/f\n"
                       "truncate -s 1000000 a/b/sparse; mkdir new; head -c 10 /dev/zero >new/x"),
            0);
        ASSERT_EQ(Run("--export " + new_ + " " + drive_), 0) << ReadBytes(err_);
    }
    int Run(const std::string& arguments, const std::string& environment = kNoDisplay) {
        return Shell(environment + " " ZELK_PROGRAM " " + arguments + " >" + out_ + " 2>" + err_);
    }

    static constexpr const char* kNoDisplay =
        "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM";
    const test::TempDir temp_;
    const std::string drive_ = temp_.Path() + "/drive";
    const std::string old_ = temp_.Path() + "/old.json.zst";
    const std::string new_ = temp_.Path() + "/new.json";
    const std::string out_ = temp_.Path() + "/out";
    const std::string err_ = temp_.Path() + "/err";
    const test::TmpfsMount volume_{drive_, "8m"};
};

TEST_F(CompareTop, TheLinesAreTheDirectoriesThatGrewMostOnEitherBasis) {
    const std::string& d = drive_;
    // a before a/b: equal growths keep the tree's order.
    const std::string apparent = "1003000\t1008000\t5000\t" + d + "/a\n" + "1003000\t1003000\t0\t" +
                                 d + "/a/b\n" + "1002260\t1008060\t5800\t" + d + "\n" +
                                 "10\t10\t0\t" + d + "/new\n";
    const std::string compressed = "3000\t8000\t5000\t" + d + "/a\n" + "3000\t3000\t0\t" + d +
                                   "/a/b\n" + "2260\t8060\t5800\t" + d + "\n";
    const std::string files = "--compare " + old_ + " " + new_;
    const std::string fromDrive = "--compare " + old_ + " " + d;
    const struct Row {
        std::string arguments;
        std::string environment;
        std::string lines;
    } rows[] = {
        {fromDrive + " --top 4", kNoDisplay, apparent},
        {files + " --top 4", kNoDisplay, apparent},
        {"--top 4 " + files, "env QT_QPA_PLATFORM=offscreen", apparent},
        {files + " --basis compressed --top 3", kNoDisplay, compressed},
        {fromDrive + " --top 3 --basis compressed", "env", compressed},
        // More than there are: all of them, the shrunk last.
        {files + " --top 99", kNoDisplay, apparent + "-50\t50\t100\t" + d + "/c\n"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Run(row.arguments, row.environment), 0) << row.arguments << ReadBytes(err_);
        EXPECT_EQ(ReadBytes(out_), row.lines) << row.arguments;
        EXPECT_EQ(ReadBytes(err_), "");
    }
}

TEST_F(CompareTop, AFileThatCannotBeReadOrABadNumberEndsWithOneLine) {
    const std::string files = "--compare " + old_ + " " + new_;
    const std::string none = temp_.Path() + "/none.json";
    const std::string top = "zelk: --top の値は 1 以上の整数です: ";
    const struct Row {
        std::string arguments;
        std::string message;
    } rows[] = {
        {"--compare " + none + " " + new_ + " --top 3",
         "zelk: ファイル「" + none + "」を読めません: No such file or directory\n"},
        {files + " --top 0", top + "0\n"},
        {files + " --top -3", top + "-3\n"},
        {files + " --top 3x", top + "3x\n"},
        {files + " --top 2 --basis du", "zelk: --basis は apparent か compressed です: du\n"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Run(row.arguments), 1) << row.arguments;
        EXPECT_EQ(ReadBytes(err_), row.message);
        EXPECT_EQ(ReadBytes(out_), "");
    }
}

}  // namespace
}  // namespace zelk
