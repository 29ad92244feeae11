#include "scanfile/TScanFileThread.h"

#include "scanfile/ScanFileReader.h"

namespace zelk {

TScanFileThread::TScanFileThread(std::string file) : TThread(true), File(std::move(file)) {}

TScanFileThread::~TScanFileThread() {
    StopAndAwaitForRelease();
}

void TScanFileThread::Run() {
    ScanFileLimits limits;
    limits.Stopped = [this] { return StopRequested(); };
    try {
        Result = ScanFileReader::Read(File, limits);
    } catch (...) {
        Error = std::current_exception();
    }
}

}  // namespace zelk
