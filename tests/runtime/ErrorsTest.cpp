// Guards the error rules: division by zero and 0/0 raise the program's errors with the messages
// the user sees, instead of quietly producing NaN or an infinity; and the last-chance report text:
// class name (also of objects outside the error family), module, relative address, message with
// its end mark, and the cut at 1024 bytes that never splits a character.

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

#include "runtime/CheckedMath.h"
#include "runtime/Errors.h"
#include "runtime/LastChanceReport.h"

namespace zelk {
namespace {

// The class and message of what the call raises.
template <typename F>
std::string Raised(F&& f) {
    try {
        f();
    } catch (const Exception& e) {
        return std::string(e.ClassName()) + ": " + e.Message();
    }
    return "<no error>";
}

TEST(CheckedMath, DivisionByZeroAndInvalidOperationsRaiseDistinctErrors) {
    using L = std::numeric_limits<long double>;
    const std::pair<std::string, const char*> cases[] = {
        {Raised([] { CheckedDivide(1, 0); }), "EZeroDivide: 0 による浮動小数点数除算"},
        {Raised([] { CheckedDivide(-3, -0.0L); }), "EZeroDivide: 0 による浮動小数点数除算"},
        {Raised([] { CheckedDivide(0, 0); }), "EInvalidOp: 不正な浮動小数点数演算命令"},
        {Raised([] { CheckedDivide(L::quiet_NaN(), 2); }),
         "EInvalidOp: 不正な浮動小数点数演算命令"},
        {Raised([] { CheckedDivide(L::max(), 0.5L); }), "EOverflow: 浮動小数点数のｵｰﾊﾞｰﾌﾛｰ"},
        {Raised([] { CheckedIntDivide(602, 0); }), "EDivByZero: 0 による除算"},
        {Raised([] { CheckedIntDivide(INT32_MIN, -1); }), "EIntOverflow: 整数のｵｰﾊﾞｰﾌﾛｰ"}};
    for (const auto& [raised, expected] : cases) {
        EXPECT_EQ(raised, expected);
    }
    EXPECT_EQ(CheckedIntDivide(-7, 2), -3);  // truncates
}

// The fixed messages are pinned where they are raised; these are the ones built from values.
TEST(ErrorClasses, BuiltMessagesNameTheCodeAndTheModuleWhenThereIsOne) {
    EXPECT_EQ(EExternalException(0xC0000005u).Message(), "外部例外 C0000005");
    EXPECT_EQ(EAccessViolation(0x1234, "zelk", true, 0).Message(),
              "ﾓｼﾞｭｰﾙ 'zelk' のｱﾄﾞﾚｽ 0000000000001234 でｱﾄﾞﾚｽ 0000000000000000 に対する"
              "書き込み違反がおきました。");
    EXPECT_EQ(EAccessViolation(0x1234, "", false, 8).Message(),
              "ｱﾄﾞﾚｽ 0000000000001234 でｱﾄﾞﾚｽ 0000000000000008 に対する読み込み違反がおきました。");
}

// The worker tests pin the whole report through a dying process; here a message that already
// ends with a full stop gets none added, and objects of other families their type name alone.
TEST(LastChanceReport, EndMarkOnlyWhereMissingAndForeignObjectsByTheirTypeName) {
    const std::pair<std::exception_ptr, const char*> rows[] = {
        {std::make_exception_ptr(EConvertError("done.")), "EConvertError%s\ndone."},
        {std::make_exception_ptr(std::runtime_error("x")), "std::runtime_error%s\n"},
        {std::make_exception_ptr(42), "int%s\n"}};
    for (const auto& [error, expected] : rows) {
        std::string text = expected;
        text.replace(text.find("%s"), 2, "がﾓｼﾞｭｰﾙ z の 00001A2B で発生しました。");
        EXPECT_EQ(LastChanceText(error, "z", 0x1A2B), text);
    }
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
