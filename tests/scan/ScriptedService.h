#pragma once
// A listing service over the real one that lists in name order and lets a test fail chosen
// listings, hide allocations and act while a chosen directory is being listed and before a
// directory is opened.

#include <functional>
#include <set>
#include <string>

#include "platform/PosixDirectoryService.h"

namespace zelk::test {

class ScriptedService : public DirectoryService {
  public:
    explicit ScriptedService(bool raiseDescriptorLimit = true) : real_(raiseDescriptorLimit) {}

    std::set<std::string> FailListingOf;      // directory names
    std::set<std::string> UnknownAllocation;  // entry names
    // Runs on the worker after a directory returned an entry: (directory name, entry name).
    std::function<void(const std::string&, const std::string&)> AfterEntry;
    std::function<void(const std::string&)> BeforeOpen = [](const std::string&) {};  // entry name
    bool SortByName = true;
    std::set<std::string> SortedAnyway;  // directory names listed in name order all the same

    std::unique_ptr<DirectoryListing> OpenRoot(char letter) override;
    std::unique_ptr<DirectoryListing> OpenChild(DirectoryListing& parent,
                                                const FindData& entry) override;

  private:
    PosixDirectoryService real_;
};

}  // namespace zelk::test
