#include "scan/SizeBasis.h"

namespace zelk {
namespace {

const SizeBasisProvider* installed = nullptr;

}  // namespace

const SizeBasisProvider* InstalledSizeBasis() { return installed; }

void InstallSizeBasis(const SizeBasisProvider* provider) { installed = provider; }

}  // namespace zelk
