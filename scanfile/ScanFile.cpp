#include "scanfile/ScanFile.h"

#include <unistd.h>

namespace zelk {

std::uint64_t ScanFileLimits::DefaultMaxDirectories() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) {
        return 100'000'000;
    }
    // A record with its name and its place in its parent's list is well under 512 bytes.
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize) / 2 / 512;
}

}  // namespace zelk
