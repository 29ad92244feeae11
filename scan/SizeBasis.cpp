#include "scan/SizeBasis.h"

#include "platform/SharedSetting.h"

namespace zelk {
namespace {

SharedSetting<const SizeBasisProvider*>& Installed() {
    static SharedSetting<const SizeBasisProvider*> installed(nullptr);
    return installed;
}

}  // namespace

const SizeBasisProvider* InstalledSizeBasis() {
    return Installed().Get();
}

void InstallSizeBasis(const SizeBasisProvider* provider) {
    Installed().Set(provider);
}

SizeBasis CurrentSizeBasis() {
    const SizeBasisProvider* provider = InstalledSizeBasis();
    return provider != nullptr && provider->CompressedBasis() ? SizeBasis::Compressed
                                                              : SizeBasis::Size;
}

}  // namespace zelk
