#pragma once
// The worker that reads a scan file, so that a large one never holds the user-interface
// thread. Its owner takes the result, or the error, in its completion handler.

#include <exception>
#include <string>

#include "runtime/TThread.h"
#include "scanfile/ScanFile.h"

namespace zelk {

class TScanFileThread : public TThread {
  public:
    explicit TScanFileThread(std::string file);
    // A read still running is stopped within a buffer of text and waited for, without limit: an
    // owner that may not wait (a close) first awaits the body for a bounded time.
    ~TScanFileThread() override;

    const std::string File;
    // Set once the body has returned: the records, or the error that refused the file.
    ScanFile Result;
    std::exception_ptr Error;

  protected:
    void Run() override;
};

}  // namespace zelk
