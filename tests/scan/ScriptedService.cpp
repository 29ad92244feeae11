#include "ScriptedService.h"

#include <algorithm>
#include <vector>

namespace zelk::test {
namespace {

class ScriptedListing : public DirectoryListing {
  public:
    ScriptedListing(std::unique_ptr<DirectoryListing> inner, std::string name,
                    const ScriptedService& script)
        : inner_(std::move(inner)),
          name_(std::move(name)),
          script_(script),
          sorted_(script_.SortByName || script_.SortedAnyway.count(name_) != 0) {
        for (FindData entry; sorted_ && inner_->Next(entry);) {
            entries_.push_back(entry);
        }
        // Last first: entries are taken from the back.
        std::sort(entries_.begin(), entries_.end(),
                  [](const FindData& a, const FindData& b) { return a.Name > b.Name; });
    }

    bool Next(FindData& entry) override {
        const bool found = sorted_ ? !entries_.empty() : inner_->Next(entry);
        if (found && sorted_) {
            entry = std::move(entries_.back());
            entries_.pop_back();
        }
        if (found && script_.UnknownAllocation.count(entry.Name) != 0) {
            entry.Allocation.reset();
        }
        if (found && script_.AfterEntry) {
            script_.AfterEntry(name_, entry.Name);
        }
        return found;
    }

    bool Failed() const override { return inner_->Failed(); }

    DirectoryListing& Inner() { return *inner_; }

  private:
    std::unique_ptr<DirectoryListing> inner_;
    std::string name_;
    const ScriptedService& script_;
    const bool sorted_;
    std::vector<FindData> entries_;
};

std::unique_ptr<DirectoryListing> Wrap(std::unique_ptr<DirectoryListing> inner,
                                       const std::string& name, const ScriptedService& script) {
    return inner == nullptr ? nullptr
                            : std::make_unique<ScriptedListing>(std::move(inner), name, script);
}

}  // namespace

std::unique_ptr<DirectoryListing> ScriptedService::OpenRoot(char letter) {
    return Wrap(real_.OpenRoot(letter), "\\", *this);
}

std::unique_ptr<DirectoryListing> ScriptedService::OpenChild(DirectoryListing& parent,
                                                             const FindData& entry) {
    BeforeOpen(entry.Name);
    if (FailListingOf.count(entry.Name) != 0) {
        return nullptr;
    }
    return Wrap(real_.OpenChild(static_cast<ScriptedListing&>(parent).Inner(), entry), entry.Name,
                *this);
}

}  // namespace zelk::test
