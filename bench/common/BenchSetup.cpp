#include "common/BenchSetup.h"

#include <cstdlib>
#include <filesystem>
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

void KeepScansApart() {
    static std::string data = std::filesystem::temp_directory_path().string() + "/zelk-data-XXXXXX";
    if (::mkdtemp(data.data()) == nullptr) {
        return;
    }
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(data, ignored);
    });
}

}  // namespace zelk::bench
