#include "scanfile/EntryNames.h"

#include <cassert>

namespace zelk {
namespace {

// The path of an entry of dir for a message: a NUL byte is shown as its escape.
std::string PathOf(std::string_view name, const std::string& rootName, const TFileAttr& dir) {
    std::vector<std::string_view> names{name};
    for (const TFileAttr* at = &dir; at->Parent != nullptr; at = at->Parent) {
        names.push_back(at->Name.View());
    }
    std::string path = rootName;
    for (auto at = names.rbegin(); at != names.rend(); ++at) {
        if (path.empty() || path.back() != '/') {
            path += '/';
        }
        for (const char c : *at) {
            path += c == '\0' ? std::string_view("\\u0000") : std::string_view(&c, 1);
        }
    }
    return path;
}

// Why a name cannot be an entry's, or nullptr.
const char* FaultOf(std::string_view name) {
    if (name.empty()) {
        return "名前が空です";
    }
    if (name == "." || name == "..") {
        return "名前が「.」か「..」です";
    }
    for (const char c : name) {
        if (c == '/') {
            return "名前に「/」があります";
        }
        if (c == '\0') {
            return "名前に NUL 文字 (\\u0000) があります";
        }
    }
    return nullptr;
}

}  // namespace

void EntryNames::Open() {
    if (names_.size() == depth_) {
        budget_.Spend(sizeof(SiblingNames));
        names_.emplace_back();
    }
    ++depth_;
}

void EntryNames::Close() {
    assert(depth_ > 0);
    names_[--depth_].Clear(budget_);
}

std::string EntryNames::Refusal(std::string_view name, const std::string& rootName,
                                const TFileAttr& dir) {
    const char* fault = FaultOf(name);
    if (fault == nullptr && !names_[depth_ - 1].Insert(name, budget_)) {
        fault = "名前が同じディレクトリの別の項目と同じです";
    }
    return fault == nullptr ? "" : "項目「" + PathOf(name, rootName, dir) + "」の" + fault;
}

}  // namespace zelk
