// Guards the last-chance report text: class name (also of objects outside the error family),
// module, relative address, message with its end mark, and the cut at 1024 bytes that never
// splits a character.

#include <gtest/gtest.h>

#include <stdexcept>

#include "runtime/Errors.h"
#include "runtime/LastChanceReport.h"

namespace zelk {
namespace {

// The worker tests pin the whole report through a dying process; here a message that already
// ends with a full stop gets none added.
TEST(LastChanceReport, MessageEndingWithAFullStopGetsNoOther) {
    EXPECT_EQ(LastChanceText(std::make_exception_ptr(EConvertError("done.")), "z", 0x1A2B),
              "EConvertErrorがﾓｼﾞｭｰﾙ z の 00001A2B で発生しました。\ndone.");
}

TEST(LastChanceReport, ForeignObjectsGetTheirTypeNameAndNoMessage) {
    EXPECT_EQ(LastChanceText(std::make_exception_ptr(std::runtime_error("x")), "zelk", 16),
              "std::runtime_errorがﾓｼﾞｭｰﾙ zelk の 00000010 で発生しました。\n");
    EXPECT_EQ(LastChanceText(std::make_exception_ptr(42), "zelk", 16),
              "intがﾓｼﾞｭｰﾙ zelk の 00000010 で発生しました。\n");
}

TEST(LastChanceReport, LongReportIsCutAt1024BytesBetweenCharacters) {
    std::string message;
    for (int i = 0; i < 400; ++i) {
        message += "あ";
    }
    const std::string head = "EConvertErrorがﾓｼﾞｭｰﾙ zelk の 00000000 で発生しました。\n";
    const std::string text =
        LastChanceText(std::make_exception_ptr(EConvertError(message)), "zelk", 0);
    // The most whole characters that fit.
    EXPECT_EQ(text, head + message.substr(0, (kLastChanceTextLimit - head.size()) / 3 * 3));
}

}  // namespace
}  // namespace zelk
