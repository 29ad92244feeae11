#include "platform/FolderVolume.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

namespace zelk {

std::optional<std::string> FolderVolume::Resolve(const std::string& directory) {
    char resolved[PATH_MAX];
    struct stat st {};
    if (::realpath(directory.c_str(), resolved) == nullptr || ::stat(resolved, &st) != 0) {
        return std::nullopt;
    }
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return std::nullopt;
    }
    return std::string(resolved);
}

VolumeTable FolderVolume::With(const VolumeTable& table, const std::string& root) {
    std::vector<Volume> volumes;
    const Volume* holder = table.VolumeOf(root);
    for (const Volume& volume : table.Volumes()) {
        if (volume.Letter != kLetter) {
            volumes.push_back(volume);
        }
    }
    volumes.push_back(Volume{kLetter, holder != nullptr ? holder->Kind : DriveKind::Fixed, root,
                             holder != nullptr ? holder->Source : "",
                             holder != nullptr ? holder->FsType : ""});
    return VolumeTable(std::move(volumes), table.OtherMountPoints());
}

}  // namespace zelk
