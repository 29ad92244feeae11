// Guards the arithmetic rules: division by zero and 0/0 raise the program's errors with the
// messages the user sees, instead of quietly producing NaN or an infinity.

#include <gtest/gtest.h>

#include <limits>

#include "runtime/CheckedMath.h"
#include "runtime/Errors.h"

namespace zelk {
namespace {

template <typename E, typename F>
std::string MessageOf(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return e.Message();
    }
    return "<no error>";
}

TEST(CheckedMath, FloatingDivisionByZeroAndZeroByZeroRaiseDistinctErrors) {
    EXPECT_EQ(MessageOf<EZeroDivide>([] { CheckedDivide(1, 0); }), "0 による浮動小数点数除算");
    EXPECT_EQ(MessageOf<EZeroDivide>([] { CheckedDivide(-3, -0.0L); }), "0 による浮動小数点数除算");
    EXPECT_EQ(MessageOf<EInvalidOp>([] { CheckedDivide(0, 0); }), "不正な浮動小数点数演算命令");
    EXPECT_EQ(MessageOf<EInvalidOp>(
                  [] { CheckedDivide(std::numeric_limits<long double>::quiet_NaN(), 2); }),
              "不正な浮動小数点数演算命令");
    EXPECT_EQ(
        MessageOf<EOverflow>([] { CheckedDivide(std::numeric_limits<long double>::max(), 0.5L); }),
        "浮動小数点数のｵｰﾊﾞｰﾌﾛｰ");
    EXPECT_EQ(CheckedDivide(250, 1000) * 100, 25);
}

TEST(CheckedMath, IntegerDivisionTruncatesAndRefusesZero) {
    EXPECT_EQ(CheckedIntDivide(602, 4), 150);
    EXPECT_EQ(CheckedIntDivide(-7, 2), -3);
    EXPECT_EQ(MessageOf<EDivByZero>([] { CheckedIntDivide(602, 0); }), "0 による除算");
    EXPECT_THROW(CheckedIntDivide(std::numeric_limits<std::int32_t>::min(), -1), EIntOverflow);
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
