// Guards the command line of the real program: usage and version on standard output with exit
// code 0, unknown options and a second file refused with the usage and exit code 2, the
// window's forms where no display can be reached and an export that cannot be written ending
// with one line and exit code 1, all without the toolkit's abort; and the arguments read before
// the toolkit starts, its own options let through, the display and platform options kept.

#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "scanfile/ScanFileTestSupport.h"

namespace zelk {
namespace {

using test::ReadBytes;
using test::Shell;

TEST(CommandLineTest, TheProgramAnswersEachFormWithItsExitCodeAndNeverAborts) {
    const test::TempDir temp;
    const std::string& dir = temp.Path();
    const std::string noDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ";
    struct Row {
        std::string command;
        int code;
        std::string out;  // a part of standard output
        std::string err;  // a part of standard error
    };
    const std::vector<Row> rows = {
        {"--help", 0, "zelk --export FILE|- [DIRECTORY]", ""},
        {"-style Fusion --help", 0, "--version", ""},
        {"--version", 0, "zelk 1.", ""},
        {"--bogus", 2, "", "zelk: 不明なオプションです: --bogus\nzelk: 使い方:"},
        {"-x", 2, "", "不明なオプションです: -x"},
        {"a.json b.json", 2, "", "zelk: 開けるファイルは一つだけです: b.json"},
        {"--compare old.json", 2, "", "zelk: 比べる FILE か DIRECTORY がありません: --compare"},
        {"--compare a.json b.json c.json", 2, "", "開けるファイルは一つだけです: c.json"},
        {noDisplay + ZELK_PROGRAM " --compare old.json new.json", 1, "", "ディスプレイ"},
        {noDisplay + ZELK_PROGRAM " --bogus", 2, "", "不明なオプションです"},
        {"--export " + dir + "/no/such/dir.json " + dir, 1, "", "zelk: "},
        {noDisplay + ZELK_PROGRAM, 1, "", "zelk: ディスプレイに接続できません"},
        {noDisplay + ZELK_PROGRAM " -platform xcb some.json", 1, "", "ディスプレイ"},
        {noDisplay + "WAYLAND_DISPLAY=zelk-none QT_QPA_PLATFORM=wayland " ZELK_PROGRAM " -", 1, "",
         "ディスプレイ"},
    };
    for (const Row& row : rows) {
        const std::string command = row.command.find(ZELK_PROGRAM) != std::string::npos
                                        ? row.command
                                        : std::string(ZELK_PROGRAM) + " " + row.command;
        const int code = Shell(command + " >" + dir + "/out 2>" + dir + "/err");
        const std::string out = ReadBytes(dir + "/out");
        const std::string err = ReadBytes(dir + "/err");
        EXPECT_EQ(code, row.code) << row.command << "\n" << err;
        EXPECT_NE(out.find(row.out), std::string::npos) << row.command << "\n" << out;
        EXPECT_NE(err.find(row.err), std::string::npos) << row.command << "\n" << err;
        if (row.code == 1) {
            EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << row.command << "\n" << err;
        }
    }
}

TEST(CommandLineTest, TheToolkitsOptionsPassAndTheDisplayOnesAreKept) {
    struct Row {
        std::vector<const char*> args;
        CommandLine::Action what;
        std::string file, platform, display;
    };
    using enum CommandLine::Action;
    // clang-format off
    const std::vector<Row> rows = {
        {{}, Window, "", "", ""}, {{"-"}, Window, "-", "", ""},
        {{"-style", "Fusion", "-reverse", "scan.json"}, Window, "scan.json", "", ""},
        {{"--platform=offscreen", "-display", ":5", "s"}, Window, "s", "offscreen", ":5"},
        {{"--export", "-", "/srv"}, Export, "", "", ""}, {{"s", "--version"}, Version, "s", "", ""},
        {{"-platform"}, Refuse, "", "", ""}, {{"-reverse=1"}, Refuse, "", "", ""}};
    // clang-format on
    for (const Row& row : rows) {
        std::vector<char*> argv{const_cast<char*>("zelk")};
        for (const char* arg : row.args) {
            argv.push_back(const_cast<char*>(arg));
        }
        const CommandLine line = CommandLine::Parse(static_cast<int>(argv.size()), argv.data());
        const std::string shown = row.args.empty() ? "(none)" : row.args.front();
        EXPECT_EQ(line.What, row.what) << shown;
        EXPECT_EQ(line.File, row.file) << shown;
        EXPECT_EQ(line.Platform, row.platform) << shown;
        EXPECT_EQ(line.Display, row.display) << shown;
    }
}

}  // namespace
}  // namespace zelk
