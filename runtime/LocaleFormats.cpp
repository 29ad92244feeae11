#include "runtime/LocaleFormats.h"

#include <atomic>

namespace zelk {
namespace {

std::atomic<std::shared_ptr<const LocaleFormats>>& Current() {
    static std::atomic<std::shared_ptr<const LocaleFormats>> current{
        std::make_shared<const LocaleFormats>()};
    return current;
}

}  // namespace

std::shared_ptr<const LocaleFormats> CurrentLocaleFormats() { return Current().load(); }

void InstallLocaleFormats(LocaleFormats formats) {
    Current().store(std::make_shared<const LocaleFormats>(std::move(formats)));
}

}  // namespace zelk
