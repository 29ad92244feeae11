#pragma once
// The listing service over the real file system: a drive letter resolves to its volume's mount
// point through the installed volume table; links are never followed and only directories are
// ever opened.

#include "platform/DirectoryService.h"

namespace zelk {

class PosixDirectoryService : public DirectoryService {
  public:
    // raiseDescriptorLimit: each root opened first raises the soft limit of open descriptors to
    // the hard limit, since a walk holds one descriptor per level.
    explicit PosixDirectoryService(bool raiseDescriptorLimit = true)
        : raiseDescriptorLimit_(raiseDescriptorLimit) {}

    std::unique_ptr<DirectoryListing> OpenRoot(char letter) override;
    // parent must be a listing of this service.
    std::unique_ptr<DirectoryListing> OpenChild(DirectoryListing& parent,
                                                const FindData& entry) override;
    std::uint32_t GetCompressedFileSize(const std::string& path, const FindData& entry,
                                        std::uint32_t& high) override;

  private:
    bool raiseDescriptorLimit_;
};

}  // namespace zelk
