#pragma once
// The scan's status line on a terminal: the newest path, redrawn in place at most ten times a
// second, so that printing never slows the walk; control characters show as "?".

#include <chrono>
#include <cstdio>
#include <string>

#include "scan/StatusLine.h"

namespace zelk {

class TerminalProgress : public StatusLine {
  public:
    explicit TerminalProgress(std::FILE* out) : out_(out) {}
    // Clears the line it drew.
    ~TerminalProgress() override;
    void SetSimpleText(const std::string& text) override;

  private:
    std::FILE* out_;
    std::chrono::steady_clock::time_point shown_{};
    bool drawn_ = false;
};

}  // namespace zelk
