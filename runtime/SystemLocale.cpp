#include "runtime/SystemLocale.h"

namespace zelk {
namespace {

SystemLocale current;

}  // namespace

const SystemLocale& CurrentSystemLocale() { return current; }

void InstallSystemLocale(const SystemLocale& locale) { current = locale; }

}  // namespace zelk
