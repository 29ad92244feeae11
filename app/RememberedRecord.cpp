#include "app/RememberedRecord.h"

#include <algorithm>

namespace zelk {

void RememberedRecord::Remember(const TFileAttr* record) {
    remembered_ = record != nullptr;
    names_.clear();
    for (const TFileAttr* up = record; up != nullptr && up->Parent != nullptr; up = up->Parent) {
        names_.push_back(up->Name.Str());
    }
    std::reverse(names_.begin(), names_.end());
}

const TFileAttr* RememberedRecord::FindIn(const TFileAttr* root) {
    const TFileAttr* record = remembered_ ? root : nullptr;
    for (const std::string& name : names_) {
        if (record == nullptr) {
            break;
        }
        const auto& children = record->Children;
        const auto found =
            std::find_if(children.begin(), children.end(),
                         [&name](const auto& child) { return child->Name.View() == name; });
        record = found != children.end() ? found->get() : nullptr;
    }
    remembered_ = false;
    names_.clear();
    return record;
}

}  // namespace zelk
