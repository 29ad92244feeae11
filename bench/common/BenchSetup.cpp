#include "common/BenchSetup.h"

#include <memory>
#include <vector>

#include "platform/VolumeTable.h"
#include "runtime/LocaleFormats.h"

namespace zelk::bench {

void LoadDesktopLocale() {
    LoadSystemLocale();
    LoadLocaleNames();
    LoadLocaleFormats();
}

void InstallOneVolume(char letter, const std::string& dir) {
    Volume volume;
    volume.Letter = letter;
    volume.MountPoint = dir;
    InstallVolumeTable(std::make_shared<VolumeTable>(std::vector<Volume>{volume}));
}

}  // namespace zelk::bench
