#include "runtime/CheckedMath.h"

#include <cmath>
#include <limits>

#include "runtime/Errors.h"

namespace zelk {
namespace {

template <typename Int>
Int IntDivide(Int dividend, Int divisor) {
    if (divisor == 0) {
        throw EDivByZero();
    }
    if (divisor == -1 && dividend == std::numeric_limits<Int>::min()) {
        throw EIntOverflow();
    }
    return dividend / divisor;  // truncates toward zero
}

}  // namespace

long double CheckedDivide(long double dividend, long double divisor) {
    if (std::isnan(dividend) || std::isnan(divisor)) {
        throw EInvalidOp();
    }
    if (divisor == 0) {
        if (dividend == 0) {
            throw EInvalidOp();
        }
        throw EZeroDivide();
    }
    if (std::isinf(dividend) && std::isinf(divisor)) {
        throw EInvalidOp();
    }
    const long double q = dividend / divisor;
    if (std::isinf(q) && !std::isinf(dividend)) {
        throw EOverflow();
    }
    return q;
}

std::int32_t CheckedIntDivide(std::int32_t dividend, std::int32_t divisor) {
    return IntDivide(dividend, divisor);
}

std::int64_t CheckedIntDivide(std::int64_t dividend, std::int64_t divisor) {
    return IntDivide(dividend, divisor);
}

}  // namespace zelk
