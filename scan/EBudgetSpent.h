#pragma once
// More memory asked of a read's budget than it has left: the reader stops and says so.

#include <string>

#include "runtime/Exception.h"

namespace zelk {

class EBudgetSpent : public Exception {
  public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "EBudgetSpent"; }
};

}  // namespace zelk
