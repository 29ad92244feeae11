#include "platform/MountFence.h"

namespace zelk {
namespace {

std::string Join(const std::string& directory, const char* name) {
    std::string path = directory;
    if (path != "/") {
        path.push_back('/');
    }
    path.append(name);
    return path;
}

}  // namespace

MountFence::MountFence(const std::string& root, const std::vector<std::string>& mountPoints)
    : root_(root) {
    while (root_.size() > 1 && root_.back() == '/') {
        root_.pop_back();
    }
    for (const std::string& mount : mountPoints) {
        if (mount == root_) {
            continue;
        }
        points_.insert(mount);
        for (std::size_t cut = mount.rfind('/'); cut != std::string::npos && cut > 0;
             cut = mount.rfind('/', cut - 1)) {
            onTheWay_.insert(mount.substr(0, cut));
        }
        onTheWay_.insert("/");
    }
}

std::string MountFence::RootPathToKeep() const {
    return onTheWay_.count(root_) != 0 ? root_ : std::string();
}

std::string MountFence::PathToKeep(const std::string& directory, const std::string& name) const {
    if (!directory.empty()) {
        std::string path = Join(directory, name.c_str());
        if (onTheWay_.count(path) != 0) {
            return path;
        }
    }
    return {};
}

bool MountFence::IsMountPoint(const std::string& directory, const char* name) const {
    return !directory.empty() && points_.count(Join(directory, name)) != 0;
}

}  // namespace zelk
