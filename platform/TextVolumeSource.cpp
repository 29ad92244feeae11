#include "platform/TextVolumeSource.h"

#include "platform/VolumeTableReader.h"

namespace zelk {

TextVolumeSource::TextVolumeSource(std::string mountInfo, std::string currentDirectory)
    : currentDirectory_(std::move(currentDirectory)) {
    files_[kMountInfoPath] = std::move(mountInfo);
}

void TextVolumeSource::SetFile(const std::string& path, std::string text) {
    files_[path] = std::move(text);
}

std::optional<std::string> TextVolumeSource::ReadSystemFile(const std::string& path) {
    calls_.push_back("read " + path);
    const auto it = files_.find(path);
    if (it == files_.end()) {
        return std::nullopt;
    }
    return it->second;
}

bool TextVolumeSource::MountPointIsDirectory(const std::string& mountPoint) {
    calls_.push_back("statx " + mountPoint);
    return !notDirectories_.contains(mountPoint);
}

std::string TextVolumeSource::CurrentDirectory() {
    calls_.push_back("getcwd");
    return currentDirectory_;
}

}  // namespace zelk
