#include "platform/PosixDirectoryService.h"

#include <sys/resource.h>

#include <thread>

#include "platform/PosixListing.h"
#include "platform/VolumeTable.h"

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
    if (raiseDescriptorLimit_) {
        RaiseDescriptorLimit();
    }
    std::vector<std::string> mountPoints = table->OtherMountPoints();
    for (const Volume& other : table->Volumes()) {
        mountPoints.push_back(other.MountPoint);
    }
    // Read once a scan, so that a scan in progress keeps the count it started with.
    const int readAhead = ReadAhead::ThreadsFromEnvironment(std::thread::hardware_concurrency());
    return PosixListing::OpenRoot(volume->MountPoint, mountPoints, readAhead);
}

std::unique_ptr<DirectoryListing> PosixDirectoryService::OpenChild(DirectoryListing& parent,
                                                                   const FindData& entry) {
    return PosixListing::OpenChild(static_cast<PosixListing&>(parent), entry);
}

std::uint32_t PosixDirectoryService::GetCompressedFileSize(const std::string& /*path*/,
                                                           const FindData& entry,
                                                           std::uint32_t& high) {
    if (!entry.AllocationKnown) {
        return 0xFFFFFFFFu;
    }
    high = static_cast<std::uint32_t>(entry.Allocation >> 32);
    return static_cast<std::uint32_t>(entry.Allocation);
}

DirectoryService& SystemDirectoryService() {
    static PosixDirectoryService service;
    return service;
}

}  // namespace zelk
