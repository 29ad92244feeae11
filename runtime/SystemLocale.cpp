#include "runtime/SystemLocale.h"

#include "platform/SharedSetting.h"

namespace zelk {
namespace {

SharedSetting<SystemLocale>& Current() {
    static SharedSetting<SystemLocale> current;
    return current;
}

}  // namespace

SystemLocale CurrentSystemLocale() {
    return Current().Get();
}

void InstallSystemLocale(const SystemLocale& locale) {
    Current().Set(locale);
}

}  // namespace zelk
