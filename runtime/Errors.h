#pragma once
// The error classes derived from Exception. Each is a name and, where the program fixes it, its
// message; they are kept together because none of them has behaviour of its own.

#include <cstdint>
#include <string>

#include "runtime/Exception.h"

namespace zelk {

#define ZELK_ERROR_CLASS(Name, Base)                                 \
    class Name : public Base {                                       \
    public:                                                          \
        using Base::Base;                                            \
        const char* ClassName() const noexcept override { return #Name; } \
    };

#define ZELK_FIXED_ERROR_CLASS(Name, Base, Text)                     \
    class Name : public Base {                                       \
    public:                                                          \
        Name() : Base(Text) {}                                       \
        const char* ClassName() const noexcept override { return #Name; } \
    protected:                                                       \
        using Base::Base;                                            \
    };

ZELK_ERROR_CLASS(EConvertError, Exception)
ZELK_FIXED_ERROR_CLASS(EAbort, Exception, "Operation aborted")
ZELK_FIXED_ERROR_CLASS(EAbstractError, Exception, "Abstract ｴﾗｰ")
ZELK_FIXED_ERROR_CLASS(EOutOfMemory, Exception, "ﾒﾓﾘが足りません")
ZELK_FIXED_ERROR_CLASS(EInvalidPointer, Exception, "無効なﾎﾟｲﾝﾀ操作")

// Integer faults.
ZELK_ERROR_CLASS(EIntError, Exception)
ZELK_FIXED_ERROR_CLASS(EDivByZero, EIntError, "0 による除算")
ZELK_FIXED_ERROR_CLASS(ERangeError, EIntError, "範囲ﾁｪｯｸｴﾗｰ")
ZELK_FIXED_ERROR_CLASS(EIntOverflow, EIntError, "整数のｵｰﾊﾞｰﾌﾛｰ")

// Floating-point faults.
ZELK_ERROR_CLASS(EMathError, Exception)
ZELK_FIXED_ERROR_CLASS(EInvalidOp, EMathError, "不正な浮動小数点数演算命令")
ZELK_FIXED_ERROR_CLASS(EZeroDivide, EMathError, "0 による浮動小数点数除算")
ZELK_FIXED_ERROR_CLASS(EOverflow, EMathError, "浮動小数点数のｵｰﾊﾞｰﾌﾛｰ")
ZELK_FIXED_ERROR_CLASS(EUnderflow, EMathError, "浮動小数点数のｱﾝﾀﾞｰﾌﾛｰ")

// Other processor and operating-system faults.
ZELK_FIXED_ERROR_CLASS(EPrivilege, Exception, "特権命令違反")
ZELK_FIXED_ERROR_CLASS(EControlC, Exception, "CTRL-C")
ZELK_FIXED_ERROR_CLASS(EStackOverflow, Exception, "ｽﾀｯｸ ｵｰﾊﾞｰﾌﾛｰ")

#undef ZELK_ERROR_CLASS
#undef ZELK_FIXED_ERROR_CLASS

class EAccessViolation : public Exception {
public:
    // module: the file name of the module holding faultAddress, or empty when none does.
    EAccessViolation(std::uintptr_t faultAddress, const std::string& module, bool write,
                     std::uintptr_t accessedAddress);
    const char* ClassName() const noexcept override { return "EAccessViolation"; }
};

class EExternalException : public Exception {
public:
    explicit EExternalException(std::uint32_t code);
    const char* ClassName() const noexcept override { return "EExternalException"; }
};

}  // namespace zelk
