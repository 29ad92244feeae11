#include "platform/ReadAheadWindow.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>

#include "platform/ReadAheadTuner.h"

namespace zelk {

std::size_t ReadAheadWindow::MostKept(int threads) {
    rlimit limit{};
    const rlim_t soft = getrlimit(RLIMIT_NOFILE, &limit) == 0 ? limit.rlim_cur : 1024;
    const int most = threads < 0 ? ReadAheadTuner::kMostThreads : threads;
    return std::max<std::size_t>(static_cast<std::size_t>(most),
                                 std::min<rlim_t>(kMostKept, soft / 16));
}

int ReadAheadWindow::ThreadsFromEnvironment() {
    const char* text = std::getenv("ZELK_READ_AHEAD");
    if (text != nullptr && *text != '\0') {
        char* end = nullptr;
        const long count = std::strtol(text, &end, 10);
        if (*end == '\0' && count >= 0) {
            return static_cast<int>(std::min<long>(count, ReadAheadTuner::kMostThreads));
        }
    }
    return kAdapting;
}

}  // namespace zelk
