#include "platform/VolumeTable.h"

#include "platform/SharedSetting.h"

namespace zelk {
namespace {

constexpr char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

SharedSetting<std::shared_ptr<const VolumeTable>>& Installed() {
    static SharedSetting<std::shared_ptr<const VolumeTable>> table(std::make_shared<VolumeTable>());
    return table;
}

}  // namespace

const Volume* VolumeTable::ByLetter(char letter) const {
    if (letter == 0) {
        return nullptr;
    }
    for (const Volume& v : volumes_) {
        if (v.Letter != 0 && Lower(v.Letter) == Lower(letter)) {
            return &v;
        }
    }
    return nullptr;
}

std::shared_ptr<const VolumeTable> InstalledVolumeTable() {
    return Installed().Get();
}

void InstallVolumeTable(std::shared_ptr<const VolumeTable> table) {
    Installed().Set(table ? std::move(table) : std::make_shared<VolumeTable>());
}

}  // namespace zelk
