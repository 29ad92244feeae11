#pragma once
// Division as the program's arithmetic rules want it: 0/0 and x/0 are errors, never NaN or an
// infinity, since Linux gives no safe way to trap them in the processor.

#include <cstdint>

namespace zelk {

// Raises EInvalidOp for 0/0 or a NaN operand, EZeroDivide for x/0, EOverflow when a finite
// quotient does not fit.
long double CheckedDivide(long double dividend, long double divisor);

// Raises EDivByZero when divisor is 0, EIntOverflow for the one quotient that does not fit.
std::int32_t CheckedIntDivide(std::int32_t dividend, std::int32_t divisor);
std::int64_t CheckedIntDivide(std::int64_t dividend, std::int64_t divisor);

}  // namespace zelk
