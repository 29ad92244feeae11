#include "platform/TextVolumeSource.h"

#include "platform/VolumeTableReader.h"

namespace zelk {

TextVolumeSource::TextVolumeSource(std::string mountInfo, std::string currentDirectory)
    : currentDirectory_(std::move(currentDirectory)) {
    files_[kMountInfoPath] = std::move(mountInfo);
}

void TextVolumeSource::SetRemovable(unsigned major, unsigned minor, bool removable) {
    SetFile(RemovableFlagPath(major, minor), removable ? "1\n" : "0\n");
}

void TextVolumeSource::SetFile(const std::string& path, std::string text) {
    files_[path] = std::move(text);
}

void TextVolumeSource::SetBlockDevice(const std::string& path, unsigned major, unsigned minor) {
    devices_[path] = {major, minor};
}

std::optional<std::string> TextVolumeSource::ReadSystemFile(const std::string& path) {
    const auto it = files_.find(path);
    if (it == files_.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::optional<std::pair<unsigned, unsigned>> TextVolumeSource::BlockDeviceOf(
    const std::string& path) {
    const auto it = devices_.find(path);
    if (it == devices_.end()) {
        return std::nullopt;
    }
    return it->second;
}

}  // namespace zelk
