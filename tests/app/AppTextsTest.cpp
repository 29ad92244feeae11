// Guards the texts the application frame derives: the title from the program file's name and
// the error box text with its "." rule, multi-byte characters counted whole.

#include <gtest/gtest.h>

#include "app/AppTexts.h"

namespace zelk {
namespace {

TEST(AppTitle, KeepsTheFirstCharacterAndLowersTheRestOfTheNameBeforeItsFirstDot) {
    EXPECT_EQ(AppTitleOf("/usr/local/bin/zelk"), "zelk");
    EXPECT_EQ(AppTitleOf("/usr/local/bin/ZELK"), "Zelk");
    EXPECT_EQ(AppTitleOf("/mnt/c/TOOLS/DISKVIEW.EXE"), "Diskview");
    EXPECT_EQ(AppTitleOf("a.b.exe"), "a");
    EXPECT_EQ(AppTitleOf("/opt/zELK"), "zelk");
}

TEST(AppTitle, LeavesMultiByteCharactersWhole) {
    EXPECT_EQ(AppTitleOf("/opt/ＺEＬK.bin"), "ＺeＬk");
}

TEST(ErrorBoxText, AppendsADotAfterAJapaneseLetterOrDigitButNotAfterAClosingMark) {
    EXPECT_EQ(ErrorBoxText("ﾒﾓﾘが足りません"), "ﾒﾓﾘが足りません.");
    EXPECT_EQ(ErrorBoxText("ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (5)"),
              "ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (5)");
    EXPECT_EQ(ErrorBoxText("disk full"), "disk full.");
    EXPECT_EQ(ErrorBoxText("3"), "3.");
    EXPECT_EQ(ErrorBoxText("done."), "done.");
    EXPECT_EQ(ErrorBoxText("stop!"), "stop!");
    EXPECT_EQ(ErrorBoxText("trailing "), "trailing ");
    EXPECT_EQ(ErrorBoxText("a-"), "a-");
    EXPECT_EQ(ErrorBoxText(""), "");
}

}  // namespace
}  // namespace zelk
