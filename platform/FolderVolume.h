#pragma once
// A folder scanned as a drive of its own: the volume "a", mounted at the folder, whose walk
// treats the folder as its root and still never leaves the folder's file system.

#include <optional>
#include <string>

#include "platform/VolumeTable.h"

namespace zelk {

class FolderVolume {
  public:
    static constexpr char kLetter = 'a';

    // The real path of directory (links and "." resolved); nullopt with errno set when it
    // cannot be resolved, ENOTDIR when it is no directory.
    static std::optional<std::string> Resolve(const std::string& directory);
    // table with the volume "a" at root, a real path, of the kind of the volume holding root.
    static VolumeTable With(const VolumeTable& table, const std::string& root);
};

}  // namespace zelk
