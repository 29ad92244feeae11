#include "runtime/LocaleFormats.h"

#include "platform/SharedSetting.h"

namespace zelk {
namespace {

SharedSetting<std::shared_ptr<const LocaleFormats>>& Current() {
    static SharedSetting<std::shared_ptr<const LocaleFormats>> current(
        std::make_shared<const LocaleFormats>());
    return current;
}

}  // namespace

std::shared_ptr<const LocaleFormats> CurrentLocaleFormats() {
    return Current().Get();
}

void InstallLocaleFormats(LocaleFormats formats) {
    Current().Set(std::make_shared<const LocaleFormats>(std::move(formats)));
}

}  // namespace zelk
