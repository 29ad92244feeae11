#include "platform/VolumeTable.h"

#include "platform/AsciiCase.h"
#include "platform/MountInfo.h"
#include "platform/SharedSetting.h"

namespace zelk {
namespace {

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
        if (v.Letter != 0 && AsciiToLower(v.Letter) == AsciiToLower(letter)) {
            return &v;
        }
    }
    return nullptr;
}

const Volume* VolumeTable::VolumeOf(std::string_view path) const {
    std::size_t longest = 0;
    const Volume* holder = nullptr;
    for (const Volume& v : volumes_) {
        if (v.MountPoint.size() > longest && IsUnderMountPoint(path, v.MountPoint)) {
            longest = v.MountPoint.size();
            holder = &v;
        }
    }
    for (const std::string& other : otherMountPoints_) {
        if (other.size() > longest && IsUnderMountPoint(path, other)) {
            longest = other.size();
            holder = nullptr;
        }
    }
    return holder;
}

std::shared_ptr<const VolumeTable> InstalledVolumeTable() {
    return Installed().Get();
}

void InstallVolumeTable(std::shared_ptr<const VolumeTable> table) {
    Installed().Set(table ? std::move(table) : std::make_shared<VolumeTable>());
}

}  // namespace zelk
