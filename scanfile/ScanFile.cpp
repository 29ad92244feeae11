#include "scanfile/ScanFile.h"

#include <unistd.h>

namespace zelk {

std::uint64_t ScanFileLimits::DefaultMaxBytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) {
        return 16ull << 30;
    }
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize) / 2;
}

}  // namespace zelk
