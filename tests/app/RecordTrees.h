#pragma once
// Record trees built by hand for the listing, sorting and graph tests, and a size basis they set.

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "scan/SizeBasis.h"
#include "scan/TFileAttr.h"

namespace zelk {

inline TFileAttr& AddRecord(TFileAttr& parent, std::string name, double size, double compressed,
                            double lastWrite = 0) {
    auto child = std::make_unique<TFileAttr>();
    child->Parent = &parent;
    child->Level = parent.Level + 1;
    child->Name = std::move(name);
    child->Size = size;
    child->CompressedSize = compressed;
    child->LastWrite = lastWrite;
    child->Searched = true;
    parent.Children.push_back(std::move(child));
    return *parent.Children.back();
}

// A record whose sizes are added to every record above it, as a scan counts them.
inline TFileAttr& AddCounted(TFileAttr& parent, std::string name, double size, double compressed) {
    TFileAttr& child = AddRecord(parent, std::move(name), size, compressed);
    for (TFileAttr* up = &parent; up != nullptr; up = up->Parent) {
        up->Size += size;
        up->CompressedSize += compressed;
    }
    return child;
}

// Every record's deepest level below it, as a scan sets it.
inline void SetMaxLevels(TFileAttr& record) {
    record.MaxLevel = record.Level;
    for (const auto& child : record.Children) {
        SetMaxLevels(*child);
        record.MaxLevel = std::max(record.MaxLevel, child->MaxLevel);
    }
}

inline std::unique_ptr<TFileAttr> MakeRoot(double size, double compressed, double lastWrite = 0) {
    auto root = std::make_unique<TFileAttr>();
    root->Name = "\\";
    root->Drive = 'c';
    root->Size = size;
    root->CompressedSize = compressed;
    root->LastWrite = lastWrite;
    root->Searched = true;
    return root;
}

// The record at a path of names below root ("a/b"; "" is root itself), nullptr where none is.
inline TFileAttr* RecordAt(TFileAttr& root, std::string_view path) {
    TFileAttr* at = &root;
    while (at != nullptr && !path.empty()) {
        const std::string_view name = path.substr(0, path.find('/'));
        path.remove_prefix(std::min(path.size(), name.size() + 1));
        TFileAttr* next = nullptr;
        for (const auto& child : at->Children) {
            next = child->Name.View() == name ? child.get() : next;
        }
        at = next;
    }
    return at;
}

// Installed for its lifetime.
struct FixedBasis : SizeBasisProvider {
    FixedBasis() { InstallSizeBasis(this); }
    ~FixedBasis() override { InstallSizeBasis(nullptr); }
    bool CompressedBasis() const override { return compressed; }
    bool compressed = false;
};

}  // namespace zelk
