#include "platform/ReadAheadWindow.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>

namespace zelk {
namespace {

// Best measured on two cores, warm and cold (see the benchmark table).
constexpr int kAutomaticThreads = 2;
constexpr int kMostThreads = 16;

}  // namespace

std::size_t ReadAheadWindow::MostKept(int threads) {
    rlimit limit{};
    const rlim_t soft = getrlimit(RLIMIT_NOFILE, &limit) == 0 ? limit.rlim_cur : 1024;
    return std::max<std::size_t>(static_cast<std::size_t>(threads),
                                 std::min<rlim_t>(kMostKept, soft / 16));
}

int ReadAheadWindow::ThreadsFromEnvironment(unsigned cores) {
    const char* text = std::getenv("ZELK_READ_AHEAD");
    if (text != nullptr && *text != '\0') {
        char* end = nullptr;
        const long count = std::strtol(text, &end, 10);
        if (*end == '\0' && count >= 0) {
            return static_cast<int>(std::min<long>(count, kMostThreads));
        }
    }
    return cores <= 1 ? 0 : std::min(kAutomaticThreads, kMostThreads);
}

}  // namespace zelk
