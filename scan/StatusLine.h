#pragma once
// Where the scan shows its progress: a status line with one text. The search thread only ever
// calls it on the user-interface thread, through the worker-thread frame's step.

#include <string>

namespace zelk {

class StatusLine {
public:
    virtual ~StatusLine() = default;
    virtual void SetSimpleText(const std::string& text) = 0;
};

}  // namespace zelk
