#include "app/TSaveThread.h"

#include <utility>

namespace zelk {

TSaveThread::TSaveThread(std::string file, std::shared_ptr<TFileAttr> root, std::string rootName,
                         std::int64_t timestamp)
    : TSaveThread(file, std::move(root),
                  [file, rootName = std::move(rootName), timestamp](
                      const TFileAttr& records, const ScanFileWriter::SaveControl& control) {
                      return ScanFileWriter::Save(file, records, rootName, timestamp, control);
                  }) {}

TSaveThread::TSaveThread(std::string file, std::shared_ptr<TFileAttr> root, Writer write)
    : TThread(true), File(std::move(file)), root_(std::move(root)), write_(std::move(write)) {}

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
        Abandoned = !write_(*root_, control);
    } catch (...) {
        Error = std::current_exception();
    }
}

}  // namespace zelk
