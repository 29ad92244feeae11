// Guards the last-chance report text: class name (also of objects outside the error family),
// module, relative address, message with its end mark, and the cut at 1024 bytes that never
// splits a character.

#include <gtest/gtest.h>

#include <stdexcept>

#include "runtime/Errors.h"
#include "runtime/LastChanceReport.h"

namespace zelk {
namespace {

TEST(LastChanceReport, NamesClassModuleAddressAndEndsTheMessageWithAFullStop) {
    EXPECT_EQ(LastChanceText(std::make_exception_ptr(EOutOfMemory()), "zelk", 0x1A2B),
              "EOutOfMemoryがﾓｼﾞｭｰﾙ zelk の 00001A2B で発生しました。\nﾒﾓﾘが足りません.");
    EXPECT_EQ(LastChanceText(std::make_exception_ptr(EConvertError("done.")), "z", 0),
              "EConvertErrorがﾓｼﾞｭｰﾙ z の 00000000 で発生しました。\ndone.");
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
    ASSERT_LE(text.size(), kLastChanceTextLimit);
    EXPECT_GT(text.size(), kLastChanceTextLimit - 3);
    EXPECT_EQ(text.compare(0, head.size(), head), 0);
    EXPECT_EQ((text.size() - head.size()) % 3, 0u);
}

}  // namespace
}  // namespace zelk
