#include "scanfile/SiblingNames.h"

#include <functional>

namespace zelk {
namespace {

// Kept over Clear: what a directory of a few thousand entries needs.
constexpr std::size_t kKeptBytes = 64 * 1024;

}  // namespace

bool SiblingNames::Find(std::string_view name, std::uint32_t hash, std::size_t& at) const {
    const std::size_t mask = slots_.size() - 1;
    for (at = hash & mask;; at = (at + 1) & mask) {
        const Slot& slot = slots_[at];
        if (slot.end == 0) {
            return false;
        }
        if (slot.hash == hash && slot.size == name.size() &&
            std::string_view(text_).substr(slot.end - slot.size, slot.size) == name) {
            return true;
        }
    }
}

bool SiblingNames::Insert(std::string_view name, ReadBudget& budget) {
    // Most directories hold a few entries: compared one by one, no table.
    if (slots_.empty() && count_ < kFew) {
        for (std::size_t i = 0, begin = 0; i < count_; begin += few_[i++] + 1) {
            if (few_[i] == name.size() && text_.compare(begin, name.size(), name) == 0) {
                return false;
            }
        }
        few_[count_++] = static_cast<std::uint32_t>(name.size());
        text_.append(name).push_back('\0');
        Charge(budget);
        return true;
    }
    if (2 * (count_ + 1) > slots_.size()) {
        Grow(budget);
    }
    const auto hash = static_cast<std::uint32_t>(std::hash<std::string_view>()(name));
    std::size_t at = 0;
    if (Find(name, hash, at)) {
        return false;
    }
    text_.append(name).push_back('\0');
    slots_[at] = Slot{text_.size() - 1, static_cast<std::uint32_t>(name.size()), hash};
    ++count_;
    Charge(budget);
    return true;
}

void SiblingNames::Grow(ReadBudget& budget) {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 32 : old.size() * 2, Slot{});
    Charge(budget);
    const std::string_view text(text_);
    if (old.empty()) {
        // The names compared one by one so far.
        for (std::size_t i = 0, begin = 0; i < count_; begin += few_[i++] + 1) {
            const std::string_view name = text.substr(begin, few_[i]);
            const auto hash = static_cast<std::uint32_t>(std::hash<std::string_view>()(name));
            std::size_t at = 0;
            Find(name, hash, at);
            slots_[at] = Slot{begin + few_[i], few_[i], hash};
        }
        return;
    }
    for (const Slot& slot : old) {
        if (slot.end != 0) {
            std::size_t at = slot.hash & (slots_.size() - 1);
            while (slots_[at].end != 0) {
                at = (at + 1) & (slots_.size() - 1);
            }
            slots_[at] = slot;
        }
    }
}

void SiblingNames::Charge(ReadBudget& budget) {
    const std::uint64_t held = text_.capacity() + slots_.capacity() * sizeof(Slot);
    if (held > charged_) {
        budget.Spend(held - charged_);
        charged_ = held;
    }
}

void SiblingNames::Clear(ReadBudget& budget) {
    text_.clear();
    count_ = 0;
    slots_.clear();
    if (charged_ > kKeptBytes) {
        std::string().swap(text_);
        std::vector<Slot>().swap(slots_);
        budget.Return(charged_);
        charged_ = 0;
    }
}

}  // namespace zelk
