#include "app/TSaveThread.h"

#include <utility>

#include "scanfile/ScanFileWriter.h"

namespace zelk {

TSaveThread::TSaveThread(std::string file, std::shared_ptr<TFileAttr> root, std::string rootName,
                         std::int64_t timestamp)
    : TThread(true),
      File(std::move(file)),
      root_(std::move(root)),
      rootName_(std::move(rootName)),
      timestamp_(timestamp) {}

TSaveThread::~TSaveThread() {
    StopAndAwaitForRelease();
}

std::shared_ptr<TFileAttr> TSaveThread::TakeRecords() {
    return std::move(root_);
}

void TSaveThread::Run() {
    ScanFileWriter::SaveControl control;
    control.Stopped = [this] { return StopRequested(); };
    control.Progress = [this](std::uint64_t written) {
        written_.store(written, std::memory_order_relaxed);
    };
    try {
        Abandoned = !ScanFileWriter::Save(File, *root_, rootName_, timestamp_, control);
    } catch (...) {
        Error = std::current_exception();
    }
}

}  // namespace zelk
