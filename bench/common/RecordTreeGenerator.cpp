#include "common/RecordTreeGenerator.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace zelk::bench {

std::unique_ptr<TFileAttr> GenerateRecordTree(std::size_t count, std::size_t maxDepth) {
    std::mt19937_64 random(20261207);
    auto root = std::make_unique<TFileAttr>();
    root->Name = "\\";
    root->Searched = true;
    std::vector<TFileAttr*> records{root.get()};
    std::vector<TFileAttr*> open{root.get()};
    for (std::size_t i = 1; i < count; ++i) {
        while (open.size() > 1 && random() % 3 == 0) {
            open.pop_back();
        }
        TFileAttr* parent = open.back();
        auto child = std::make_unique<TFileAttr>();
        child->Parent = parent;
        child->Level = parent->Level + 1;
        child->Name = "dir" + std::to_string(i);
        child->Size = static_cast<double>(random() % 50000000);
        child->CompressedSize = random() % 4 == 0 ? child->Size : child->Size * 0.7;
        child->LastWrite = 40000 + static_cast<double>(random() % 9000000) / 1000;
        child->Searched = true;
        records.push_back(child.get());
        if (open.size() <= maxDepth) {
            open.push_back(child.get());
        }
        parent->Children.push_back(std::move(child));
    }
    // Children come after their parents: add each record's totals to its parent, last first.
    for (auto at = records.rbegin(); at != records.rend(); ++at) {
        TFileAttr* parent = (*at)->Parent;
        if (parent != nullptr) {
            parent->Size += (*at)->Size;
            parent->CompressedSize += (*at)->CompressedSize;
            parent->LastWrite = std::max(parent->LastWrite, (*at)->LastWrite);
            parent->MaxLevel = std::max(parent->MaxLevel, std::max((*at)->MaxLevel, (*at)->Level));
        }
    }
    return root;
}

}  // namespace zelk::bench
