#include "scan/ScanComparison.h"

#include <algorithm>
#include <stdexcept>

namespace zelk {

// The key lives in what was padding: a record is no larger for it.
static_assert(sizeof(void*) != 8 || sizeof(TFileAttr) <= 80);

ScanComparison::ScanComparison(TFileAttr& shown, std::unique_ptr<TFileAttr> baseline)
    : baseline_(std::move(baseline)) {
    if (baseline_ == nullptr) {
        throw std::invalid_argument("no baseline to compare with");
    }
    stack_.emplace_back(&shown, baseline_.get());
}

bool ScanComparison::Step(std::size_t budget) {
    if (stack_.empty()) {
        return true;
    }
    Run(budget);
    if (!stack_.empty()) {
        return false;
    }
    // What is kept from here on is a pointer per directory, not what the walk needed.
    matches_.shrink_to_fit();
    groups_.shrink_to_fit();
    removed_.shrink_to_fit();
    std::vector<Pair>().swap(stack_);
    std::vector<Sibling>().swap(byName_);
    std::vector<char>().swap(taken_);
    return true;
}

void ScanComparison::Run(std::size_t budget) {
    std::size_t done = 0;
    while (!stack_.empty() && done < budget) {
        const auto [shown, baseline] = stack_.back();
        stack_.pop_back();
        MatchPair(*shown, baseline);
        done += 1 + shown->Children.size();
    }
}

void ScanComparison::MatchPair(TFileAttr& shown, const TFileAttr* baseline) {
    if (baseline == nullptr) {
        // A new directory: everything below it is new too, but each record may still carry a
        // key of an earlier comparison.
        shown.ComparisonKey = 0;
        for (const auto& child : shown.Children) {
            stack_.emplace_back(child.get(), nullptr);
        }
        return;
    }
    if (matches_.size() >= UINT32_MAX - 1) {
        throw std::length_error("too many directories to compare");
    }
    matches_.push_back(baseline);
    shown.ComparisonKey = static_cast<std::uint32_t>(matches_.size());
    MatchChildren(shown, *baseline);
}

void ScanComparison::MatchChildren(TFileAttr& shown, const TFileAttr& baseline) {
    const auto& before = baseline.Children;
    if (before.empty()) {
        for (const auto& child : shown.Children) {
            stack_.emplace_back(child.get(), nullptr);
        }
        return;
    }
    // Two scans of one file system list most directories in the same order.
    const auto& now = shown.Children;
    if (now.size() == before.size() &&
        std::equal(now.begin(), now.end(), before.begin(),
                   [](const auto& a, const auto& b) { return a->Name.View() == b->Name.View(); })) {
        for (std::size_t i = 0; i < now.size(); ++i) {
            stack_.emplace_back(now[i].get(), before[i].get());
        }
        return;
    }
    byName_.clear();
    for (std::size_t i = 0; i < before.size(); ++i) {
        byName_.push_back({before[i]->Name.View(), static_cast<std::uint32_t>(i)});
    }
    // Stable, so that siblings of one name (which no scan makes) pair up in their order.
    std::stable_sort(byName_.begin(), byName_.end(),
                     [](const Sibling& a, const Sibling& b) { return a.name < b.name; });
    taken_.assign(before.size(), 0);
    for (const auto& child : shown.Children) {
        const std::string_view name = child->Name.View();
        auto at = std::lower_bound(
            byName_.begin(), byName_.end(), name,
            [](const Sibling& sibling, std::string_view wanted) { return sibling.name < wanted; });
        while (at != byName_.end() && at->name == name && taken_[at->index] != 0) {
            ++at;
        }
        const TFileAttr* counterpart = nullptr;
        if (at != byName_.end() && at->name == name) {
            taken_[at->index] = 1;
            counterpart = before[at->index].get();
        }
        stack_.emplace_back(child.get(), counterpart);
    }
    const auto first = static_cast<std::uint32_t>(removed_.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (taken_[i] == 0) {
            removed_.push_back(before[i].get());
        }
    }
    if (removed_.size() > first) {
        groups_.push_back({shown.ComparisonKey, first});
    }
}

const TFileAttr* ScanComparison::BaselineOf(const TFileAttr& shown) const {
    const std::uint32_t key = shown.ComparisonKey;
    return key != 0 && key <= matches_.size() ? matches_[key - 1] : nullptr;
}

std::optional<double> ScanComparison::Growth(const TFileAttr& shown, SizeBasis basis) const {
    const TFileAttr* then = BaselineOf(shown);
    if (then == nullptr) {
        return std::nullopt;
    }
    return SizeOn(shown, basis) - SizeOn(*then, basis);
}

std::span<const TFileAttr* const> ScanComparison::Removed(const TFileAttr& shown) const {
    const std::uint32_t key = shown.ComparisonKey;
    if (key == 0 || key > matches_.size()) {
        return {};
    }
    // Groups are made in the order keys are given out, so they are sorted by key.
    const auto at = std::lower_bound(groups_.begin(), groups_.end(), key,
                                     [](const Group& g, std::uint32_t k) { return g.key < k; });
    if (at == groups_.end() || at->key != key) {
        return {};
    }
    const std::size_t end = at + 1 != groups_.end() ? (at + 1)->begin : removed_.size();
    return {removed_.data() + at->begin, end - at->begin};
}

void ScanComparison::Rematch(TFileAttr& record) {
    const TFileAttr* counterpart = nullptr;
    if (record.Parent == nullptr) {
        counterpart = baseline_.get();
    } else if (const TFileAttr* parentThen = BaselineOf(*record.Parent)) {
        for (const auto& child : parentThen->Children) {
            if (child->Name == record.Name) {
                counterpart = child.get();
                break;
            }
        }
    }
    // Pairs still waiting go after this one, so keys stay in the order groups are made.
    std::vector<Pair> waiting = std::move(stack_);
    stack_.clear();
    stack_.emplace_back(&record, counterpart);
    Run(SIZE_MAX);
    stack_ = std::move(waiting);
}

std::size_t ScanComparison::BytesUsed() const {
    return matches_.capacity() * sizeof(matches_[0]) + groups_.capacity() * sizeof(groups_[0]) +
           removed_.capacity() * sizeof(removed_[0]) + stack_.capacity() * sizeof(stack_[0]) +
           byName_.capacity() * sizeof(byName_[0]) + taken_.capacity();
}

}  // namespace zelk
