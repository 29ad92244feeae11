#pragma once
// Record trees built by hand for the listing, sorting and graph tests, and a size basis they set.

#include <memory>
#include <string>

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

// Installed for its lifetime.
struct FixedBasis : SizeBasisProvider {
    FixedBasis() { InstallSizeBasis(this); }
    ~FixedBasis() override { InstallSizeBasis(nullptr); }
    bool CompressedBasis() const override { return compressed; }
    bool compressed = false;
};

}  // namespace zelk
