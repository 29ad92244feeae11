#include "platform/LocalClock.h"

#include <atomic>
#include <ctime>

namespace zelk {
namespace {

std::atomic<std::uint16_t> fixedYear{0};

}  // namespace

std::uint16_t CurrentLocalYear() {
    const std::uint16_t fixed = fixedYear.load(std::memory_order_relaxed);
    if (fixed != 0) {
        return fixed;
    }
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) {
        return 1970;
    }
    return static_cast<std::uint16_t>(local.tm_year + 1900);
}

void FixLocalYear(std::uint16_t year) {
    fixedYear.store(year, std::memory_order_relaxed);
}

}  // namespace zelk
