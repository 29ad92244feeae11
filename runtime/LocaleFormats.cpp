#include "runtime/LocaleFormats.h"

#include <mutex>

namespace zelk {
namespace {

// A mutex rather than std::atomic<std::shared_ptr>: this library's lock-bit version of the latter
// is reported as a race by ThreadSanitizer, and an uncontended lock costs about as much.
struct Snapshot {
    std::mutex mutex;
    std::shared_ptr<const LocaleFormats> formats = std::make_shared<const LocaleFormats>();
};

Snapshot& Current() {
    static Snapshot current;
    return current;
}

}  // namespace

std::shared_ptr<const LocaleFormats> CurrentLocaleFormats() {
    Snapshot& current = Current();
    const std::lock_guard lock(current.mutex);
    return current.formats;
}

void InstallLocaleFormats(LocaleFormats formats) {
    auto replacement = std::make_shared<const LocaleFormats>(std::move(formats));
    Snapshot& current = Current();
    const std::lock_guard lock(current.mutex);
    current.formats.swap(replacement);
    // The old snapshot is released after the lock, by replacement's destructor.
}

}  // namespace zelk
