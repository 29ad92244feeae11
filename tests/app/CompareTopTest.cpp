// Guards `zelk --compare OLD NEW --top N`: on a tree scanned, changed (files grown, shrunk and
// made sparse, directories added and removed) and scanned again, the lines are the directories
// that grew most with their sizes now and then and real paths, on both bases, the same from the
// scan file or the directory, with or without a display; a file that cannot be read or a bad N
// ends with one line and exit code 1.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scanfile/ScanFileTestSupport.h"
#include "support/TmpfsMount.h"

namespace zelk {
namespace {

using test::ReadBytes;
using test::Shell;

void Write(const std::string& file, std::size_t bytes) {
    std::ofstream(file, std::ios::trunc) << std::string(bytes, 'x');
}

class CompareTop : public testing::Test {
  protected:
    void SetUp() override {
        if (!volume_.Mounted()) {  // a tmpfs, whose allocation is known
            GTEST_SKIP() << test::TmpfsMount::kRefused;
        }
        for (const char* dir : {"/a/b", "/c", "/gone"}) {
            std::filesystem::create_directories(drive_ + dir);
        }
        Write(drive_ + "/a/f", 5000);
        Write(drive_ + "/c/f", 100);
        Write(drive_ + "/gone/f", 700);
        ASSERT_EQ(Run("--export " + old_ + " " + drive_), 0) << ReadBytes(err_);
        std::filesystem::remove_all(drive_ + "/gone");
        Write(drive_ + "/a/b/g", 3000);
        std::filesystem::resize_file(drive_ + "/c/f", 50);
        // A million bytes that take no room.
        std::ofstream(drive_ + "/a/b/sparse").close();
        std::filesystem::resize_file(drive_ + "/a/b/sparse", 1'000'000);
        std::filesystem::create_directories(drive_ + "/new");
        Write(drive_ + "/new/x", 10);
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
    const struct Row {
        std::string arguments;
        std::string environment;
        std::string lines;
    } rows[] = {
        {"--compare " + old_ + " " + d + " --top 4", kNoDisplay, apparent},
        {"--compare " + old_ + " " + new_ + " --top 4", kNoDisplay, apparent},
        {"--top 4 --compare " + old_ + " " + new_, "env QT_QPA_PLATFORM=offscreen", apparent},
        {"--compare " + old_ + " " + new_ + " --basis compressed --top 3", kNoDisplay, compressed},
        {"--compare " + old_ + " " + d + " --top 3 --basis compressed", "env", compressed},
        // More than there are: all of them, the shrunk last.
        {"--compare " + old_ + " " + new_ + " --top 99", kNoDisplay,
         apparent + "-50\t50\t100\t" + d + "/c\n"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Run(row.arguments, row.environment), 0) << row.arguments << ReadBytes(err_);
        EXPECT_EQ(ReadBytes(out_), row.lines) << row.arguments;
        EXPECT_EQ(ReadBytes(err_), "");
    }
}

TEST_F(CompareTop, AFileThatCannotBeReadOrABadNumberEndsWithOneLine) {
    const struct Row {
        std::string arguments;
        std::string message;
    } rows[] = {
        {"--compare " + temp_.Path() + "/none.json " + new_ + " --top 3",
         "zelk: ファイル「" + temp_.Path() +
             "/none.json」を読めません: No such file or directory\n"},
        {"--compare " + old_ + " " + new_ + " --top 0", "zelk: --top の値は 1 以上の整数です: 0\n"},
        {"--compare " + old_ + " " + new_ + " --top -3",
         "zelk: --top の値は 1 以上の整数です: -3\n"},
        {"--compare " + old_ + " " + new_ + " --top 3x",
         "zelk: --top の値は 1 以上の整数です: 3x\n"},
        {"--compare " + old_ + " " + new_ + " --top 2 --basis du",
         "zelk: --basis は apparent か compressed です: du\n"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Run(row.arguments), 1) << row.arguments;
        EXPECT_EQ(ReadBytes(err_), row.message);
        EXPECT_EQ(ReadBytes(out_), "");
    }
}

}  // namespace
}  // namespace zelk
