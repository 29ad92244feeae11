#include "platform/PosixDirectoryService.h"

#include <sys/resource.h>

#include "platform/PosixListing.h"
#include "platform/ReadAheadWindow.h"
#include "platform/SystemVolumeSource.h"
#include "platform/VolumeTable.h"
#include "platform/VolumeTableReader.h"

namespace zelk {
namespace {

void RaiseDescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

}  // namespace

std::unique_ptr<DirectoryListing> PosixDirectoryService::OpenRoot(char letter) {
    const auto table = InstalledVolumeTable();
    const Volume* volume = table->ByLetter(letter);
    if (volume == nullptr || volume->MountPoint.empty()) {
        return nullptr;
    }
    return OpenPath(volume->MountPoint);
}

std::unique_ptr<DirectoryListing> PosixDirectoryService::OpenPath(const std::string& path,
                                                                  bool readAhead) {
    const auto table = InstalledVolumeTable();
    if (raiseDescriptorLimit_) {
        RaiseDescriptorLimit();
    }
    // The installed table is as old as the drive list: what was mounted since is known only to
    // the mount table, read here at no cost to any file system. Places the installed table
    // counts as no drive stay fenced too.
    SystemVolumeSource system;
    const VolumeTable now = ReadVolumeTable(mounts_ != nullptr ? *mounts_ : system);
    std::vector<std::string> mountPoints = table->OtherMountPoints();
    mountPoints.insert(mountPoints.end(), now.OtherMountPoints().begin(),
                       now.OtherMountPoints().end());
    for (const Volume& other : now.Volumes().empty() ? table->Volumes() : now.Volumes()) {
        mountPoints.push_back(other.MountPoint);
    }
    // Read once a scan, so that a scan in progress keeps the count it started with.
    const int threads = readAhead ? ReadAheadWindow::ThreadsFromEnvironment() : 0;
    return PosixListing::OpenRoot(path, mountPoints, threads);
}

std::unique_ptr<DirectoryListing> PosixDirectoryService::OpenChild(DirectoryListing& parent,
                                                                   const FindData& entry) {
    return PosixListing::OpenChild(static_cast<PosixListing&>(parent), entry);
}

DirectoryService& SystemDirectoryService() {
    static PosixDirectoryService service;
    return service;
}

}  // namespace zelk
