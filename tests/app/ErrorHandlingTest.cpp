// Guards how errors escaping handlers reach the user: the error box's caption (the title made
// from the program file's name) and "." rule, multi-byte characters counted whole, EAbort never
// shown, foreign objects reported without ending the program, an error in a paint
// shown after the paint while the next paint tries again, and closing the main window.

#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>
#include <stdexcept>

#include "app/AppTexts.h"
#include "app/ErrorGuard.h"
#include "app/TApplication.h"
#include "app/TPageControl.h"
#include "app/TPaintBox.h"
#include "app/TfrmMain.h"
#include "runtime/Errors.h"

namespace zelk {
namespace {

TEST(AppTexts, TitleKeepsTheFirstCharacterAndLowersTheRestOfTheNameBeforeItsFirstDot) {
    const std::pair<const char*, const char*> rows[] = {{"/usr/local/bin/ZELK", "Zelk"},
                                                        {"/mnt/c/TOOLS/DISKVIEW.EXE", "Diskview"},
                                                        {"a.b.exe", "a"},
                                                        {"/opt/zELK", "zelk"},
                                                        {"/opt/ＺEＬK.bin", "ＺeＬk"}};
    for (const auto& [file, title] : rows) {
        EXPECT_EQ(AppTitleOf(file), title) << file;
    }
}

TEST(AppTexts, ErrorBoxAppendsADotAfterAJapaneseLetterOrDigitButNotAfterAClosingMark) {
    const std::pair<const char*, const char*> rows[] = {
        {"ﾒﾓﾘが足りません", "ﾒﾓﾘが足りません."},
        {"ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (5)", "ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (5)"},
        {"disk full", "disk full."},
        {"3", "3."},
        {"done.", "done."},
        {"trailing ", "trailing "},
        {"a-", "a-"},
        {"", ""}};
    for (const auto& [message, shown] : rows) {
        EXPECT_EQ(ErrorBoxText(message), shown) << message;
    }
}

struct Box {
    QWidget* owner;
    std::string caption;
    std::string text;
};

class ErrorHandlingTest : public ::testing::Test {
  protected:
    ErrorHandlingTest() : application_("/opt/tools/DISKVIEW.EXE") {
        application_.SetBoxPresenter(
            [this](QWidget* owner, const QString& caption, const QString& text) {
                boxes_.push_back({owner, caption.toStdString(), text.toStdString()});
            });
    }

    TApplication application_;
    std::vector<Box> boxes_;
};

TEST_F(ErrorHandlingTest, OursAreBoxedUnderTheTitleAbortIsSilentAndForeignOnesGoOn) {
    TfrmMain* frmMain = nullptr;
    application_.CreateMainWindow(frmMain);
    ASSERT_NE(frmMain, nullptr);
    Guarded([] { throw EOutOfMemory(); });
    Guarded([] { throw EAbort(); });
    Guarded([] { throw std::runtime_error("not ours"); });
    Guarded([] { throw EConvertError("ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (5)"); });
    // Caption, and the text of a box owned by the main window; the foreign report names an
    // address.
    std::string shown;
    for (const Box& box : boxes_) {
        shown += box.caption + (box.owner == frmMain ? " " + box.text : " -") + "\n";
    }
    EXPECT_EQ(shown,
              "Diskview ﾒﾓﾘが足りません.\n"
              "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ -\n"
              "Diskview ﾘｽﾄのｲﾝﾃﾞｯｸｽが範囲を超えています (5)\n");
}

TEST_F(ErrorHandlingTest, APaintErrorIsShownAfterThePaintAndTheNextPaintTriesAgain) {
    TfrmMain form(12);
    int paints = 0;
    form.PaintBox1->OnPaint = [&] {
        if (++paints == 1) {
            throw EInvalidOp();
        }
    };
    form.show();
    form.PageControl1->SetActivePage(form.TabSheet2);
    QTest::qWait(50);
    ASSERT_EQ(paints, 1);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "不正な浮動小数点数演算命令.");
    form.PaintBox1->Invalidate();
    QTest::qWait(50);
    EXPECT_EQ(paints, 2);
    EXPECT_EQ(boxes_.size(), 1u);
}

TEST_F(ErrorHandlingTest, ClosingTheMainWindowRunsTheCloseQueryAndEndsTheLoopWithZero) {
    TfrmMain* frmMain = nullptr;
    application_.CreateMainWindow(frmMain);
    QTimer::singleShot(0, frmMain, [frmMain] { frmMain->close(); });
    EXPECT_EQ(application_.Run(), 0);
    EXPECT_TRUE(boxes_.empty());
}

}  // namespace
}  // namespace zelk
