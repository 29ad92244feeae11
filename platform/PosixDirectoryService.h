#pragma once
// The listing service over the real file system: a drive letter resolves to its volume's mount
// point through the installed volume table; links are never followed and only directories are
// ever opened. The mount points a walk stays out of are read from the mount table as it starts,
// so that what was mounted since the drive list was read is fenced too.

#include "platform/DirectoryService.h"
#include "platform/VolumeSource.h"

namespace zelk {

class PosixDirectoryService : public DirectoryService {
  public:
    // raiseDescriptorLimit: each root opened first raises the soft limit of open descriptors to
    // the hard limit, since a walk holds one descriptor per level. mounts: where the mount table
    // is read (outlives the service); the running system's when null.
    explicit PosixDirectoryService(bool raiseDescriptorLimit = true, VolumeSource* mounts = nullptr)
        : raiseDescriptorLimit_(raiseDescriptorLimit), mounts_(mounts) {}

    std::unique_ptr<DirectoryListing> OpenRoot(char letter) override;
    // parent must be a listing of this service.
    std::unique_ptr<DirectoryListing> OpenChild(DirectoryListing& parent,
                                                const FindData& entry) override;

  private:
    bool raiseDescriptorLimit_;
    VolumeSource* mounts_;
};

}  // namespace zelk
