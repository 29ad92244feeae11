#pragma once
// The error the tree control raises when it refuses a node or has no node at an index.

#include "runtime/Exception.h"

namespace zelk {

class ETreeViewError : public Exception {
  public:
    using Exception::Exception;
    const char* ClassName() const noexcept override { return "ETreeViewError"; }
};

}  // namespace zelk
