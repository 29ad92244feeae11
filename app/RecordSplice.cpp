#include "app/RecordSplice.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace zelk {
namespace {

void AddToAncestors(TFileAttr* from, double size, double compressed) {
    for (TFileAttr* up = from; up != nullptr; up = up->Parent) {
        up->Size += size;
        up->CompressedSize += compressed;
    }
}

auto PlaceOf(TFileAttr& child) {
    auto& siblings = child.Parent->Children;
    return std::find_if(siblings.begin(), siblings.end(),
                        [&](const auto& sibling) { return sibling.get() == &child; });
}

}  // namespace

void RecordSplice::Replace(TFileAttr& record, TFileAttr& fresh) {
    AddToAncestors(record.Parent, fresh.Size - record.Size,
                   fresh.CompressedSize - record.CompressedSize);
    std::swap(record.Children, fresh.Children);
    for (auto& child : record.Children) {
        child->Parent = &record;
    }
    for (auto& child : fresh.Children) {
        child->Parent = nullptr;  // no longer reaches the shown tree
    }
    record.Size = fresh.Size;
    record.CompressedSize = fresh.CompressedSize;
    record.LastWrite = fresh.LastWrite;
    record.MaxLevel = fresh.MaxLevel;
    record.Searched = fresh.Searched;
    record.Unreadable = fresh.Unreadable;
}

std::unique_ptr<TFileAttr> RecordSplice::Detach(TFileAttr& record) {
    AddToAncestors(record.Parent, -record.Size, -record.CompressedSize);
    auto place = PlaceOf(record);
    std::unique_ptr<TFileAttr> detached = std::move(*place);
    record.Parent->Children.erase(place);
    return detached;
}

std::unique_ptr<TFileAttr> RecordSplice::PutInPlace(std::unique_ptr<TFileAttr> moved,
                                                    TFileAttr& placeholder) {
    const std::int32_t shift = placeholder.Level - moved->Level;
    moved->Name = placeholder.Name;
    moved->Parent = placeholder.Parent;
    moved->LastWrite = std::max(moved->LastWrite, placeholder.LastWrite);
    std::vector<TFileAttr*> pending{moved.get()};
    while (!pending.empty()) {
        TFileAttr* at = pending.back();
        pending.pop_back();
        at->Level += shift;
        at->MaxLevel += shift;
        for (const auto& child : at->Children) {
            pending.push_back(child.get());
        }
    }
    return std::exchange(*PlaceOf(placeholder), std::move(moved));
}

void RecordSplice::Append(TFileAttr& under, std::unique_ptr<TFileAttr> child) {
    AddToAncestors(&under, child->Size, child->CompressedSize);
    under.Children.push_back(std::move(child));
}

}  // namespace zelk
