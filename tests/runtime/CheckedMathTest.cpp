// Guards the arithmetic rules: division by zero and 0/0 raise the program's errors with the
// messages the user sees, instead of quietly producing NaN or an infinity.

#include <gtest/gtest.h>

#include <limits>

#include "runtime/CheckedMath.h"
#include "runtime/Errors.h"

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
    EXPECT_EQ(CheckedDivide(250, 1000) * 100, 25);
    EXPECT_EQ(CheckedIntDivide(602, 4), 150);
    EXPECT_EQ(CheckedIntDivide(-7, 2), -3);  // truncates
}

// The fixed messages are pinned where they are raised; these are the ones built from values.
TEST(ErrorClasses, BuiltMessagesNameTheCodeAndTheModuleWhenThereIsOne) {
    EXPECT_EQ(EExternalException(0xC0000005u).Message(), "外部例外 C0000005");
    const EAccessViolation inModule(0x1234, "zelk", true, 0);
    EXPECT_NE(inModule.Message().find("ﾓｼﾞｭｰﾙ 'zelk' のｱﾄﾞﾚｽ "), std::string::npos);
    EXPECT_NE(inModule.Message().find("に対する書き込み違反がおきました。"), std::string::npos);
    const EAccessViolation outside(0x1234, "", false, 8);
    EXPECT_EQ(outside.Message().rfind("ｱﾄﾞﾚｽ ", 0), 0u);
    EXPECT_NE(outside.Message().find("に対する読み込み違反がおきました。"), std::string::npos);
}

}  // namespace
}  // namespace zelk
