#pragma once
// The worker that writes a scan file, so that a save of a million directories never holds the
// user-interface thread. It keeps the records it reads alive until its owner lets them go.

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "runtime/TThread.h"
#include "scan/TFileAttr.h"
#include "scanfile/ScanFileWriter.h"

namespace zelk {

class TSaveThread : public TThread {
  public:
    // Writes root; false when the control's stop abandoned it, and an error raised is kept.
    using Writer = std::function<bool(const TFileAttr& root, const ScanFileWriter::SaveControl&)>;

    // root must not change while the worker runs.
    TSaveThread(std::string file, std::shared_ptr<TFileAttr> root, std::string rootName,
                std::int64_t timestamp);
    // The save is write's, file only its name for the owner.
    TSaveThread(std::string file, std::shared_ptr<TFileAttr> root, Writer write);
    // A save still running is abandoned (no file of its own left) and waited for.
    ~TSaveThread() override;

    // Once the body has returned; the owner hands them on to be freed.
    std::shared_ptr<TFileAttr> TakeRecords();
    // Directories written so far; from any thread.
    std::uint64_t Written() const { return written_.load(std::memory_order_relaxed); }

    const std::string File;
    // Set once the body has returned: the error that refused the file, or whether a stop
    // abandoned the save.
    std::exception_ptr Error;
    bool Abandoned = false;

  protected:
    void Run() override;

  private:
    std::shared_ptr<TFileAttr> root_;
    const Writer write_;
    std::atomic<std::uint64_t> written_{0};
};

}  // namespace zelk
