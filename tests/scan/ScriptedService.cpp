#include "ScriptedService.h"

#include <algorithm>
#include <vector>

namespace zelk::test {
namespace {

class ScriptedListing : public DirectoryListing {
  public:
    ScriptedListing(std::unique_ptr<DirectoryListing> inner, std::string name,
                    const ScriptedService& script)
        : inner_(std::move(inner)), name_(std::move(name)), script_(script) {
        for (FindData entry; script_.SortByName && inner_->Next(entry);) {
            sorted_.push_back(entry);
        }
        std::sort(sorted_.begin(), sorted_.end(),
                  [](const FindData& a, const FindData& b) { return a.Name < b.Name; });
    }

    bool Next(FindData& entry) override {
        const bool found = script_.SortByName ? next_ < sorted_.size() : inner_->Next(entry);
        if (found && script_.SortByName) {
            entry = sorted_[next_++];
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
    std::vector<FindData> sorted_;
    std::size_t next_ = 0;
};

}  // namespace

std::unique_ptr<DirectoryListing> ScriptedService::Wrap(std::unique_ptr<DirectoryListing> inner,
                                                        const std::string& name) {
    if (inner == nullptr) {
        return nullptr;
    }
    return std::make_unique<ScriptedListing>(std::move(inner), name, *this);
}

std::unique_ptr<DirectoryListing> ScriptedService::OpenRoot(char letter) {
    return Wrap(real_.OpenRoot(letter), "\\");
}

std::unique_ptr<DirectoryListing> ScriptedService::OpenChild(DirectoryListing& parent,
                                                             const FindData& entry) {
    if (FailListingOf.count(entry.Name) != 0) {
        return nullptr;
    }
    auto& scripted = static_cast<ScriptedListing&>(parent);
    return Wrap(real_.OpenChild(scripted.Inner(), entry), entry.Name);
}

std::uint32_t ScriptedService::GetCompressedFileSize(const std::string& path, const FindData& entry,
                                                     std::uint32_t& high) {
    if (UnreadableCompressed.count(path) != 0) {
        return 0xFFFFFFFFu;
    }
    return real_.GetCompressedFileSize(path, entry, high);
}

}  // namespace zelk::test
