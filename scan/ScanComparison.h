#pragma once
// The tree shown against an earlier scan of the same place (the baseline): directories are
// matched by their path of names below the root, byte for byte, so a renamed directory is one
// removed and one new, and roots of different names (another drive, another folder) still match.
// Matching is one walk of both trees, done in steps; it keeps one baseline pointer per shown
// directory and one per removed one, found through the key each shown record carries.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "scan/SizeBasis.h"
#include "scan/TFileAttr.h"

namespace zelk {

class ScanComparison {
  public:
    // Takes the baseline; the shown records must stay, their subtrees unchanged but for the
    // order of children, until Step has returned true (then only Rematch follows changes).
    ScanComparison(TFileAttr& shown, std::unique_ptr<TFileAttr> baseline);

    // Matches about budget more directories of both trees; true once all are matched. Until
    // then the answers below are not for the records still waiting.
    bool Step(std::size_t budget);
    bool Done() const { return stack_.empty(); }

    // The record's counterpart in the baseline; nullptr for a directory the baseline lacks.
    const TFileAttr* BaselineOf(const TFileAttr& shown) const;
    // Size now minus size then; nothing for a directory the baseline lacks.
    std::optional<double> Growth(const TFileAttr& shown, SizeBasis basis) const;
    // The baseline's children of the record's counterpart that the record lacks, in the
    // baseline's order; each counts size then and nothing now.
    std::span<const TFileAttr* const> Removed(const TFileAttr& shown) const;

    // After record's subtree was replaced or changed (a rescan, a deletion below it), matches
    // it again below its parent's counterpart (new if the parent is new).
    void Rematch(TFileAttr& record);

    const TFileAttr& Baseline() const { return *baseline_; }
    // The comparison's own memory, for its cost per directory.
    std::size_t BytesUsed() const;

    static double SizeOn(const TFileAttr& record, SizeBasis basis) {
        return basis == SizeBasis::Compressed ? record.CompressedSize : record.Size;
    }

  private:
    struct Group {
        std::uint32_t key;    // of the shown record whose counterpart lost these children
        std::uint32_t begin;  // its first in removed_, up to the next group's begin
    };
    struct Sibling {
        std::string_view name;
        std::uint32_t index;
    };
    using Pair = std::pair<TFileAttr*, const TFileAttr*>;

    void Run(std::size_t budget);
    void MatchPair(TFileAttr& shown, const TFileAttr* baseline);
    void MatchChildren(TFileAttr& shown, const TFileAttr& baseline);

    std::unique_ptr<TFileAttr> baseline_;
    // By key - 1: the matched shown record's counterpart.
    std::vector<const TFileAttr*> matches_;
    std::vector<Group> groups_;
    std::vector<const TFileAttr*> removed_;
    std::vector<Pair> stack_;
    // Reused for every directory: the baseline's children by name, and those matched.
    std::vector<Sibling> byName_;
    std::vector<char> taken_;
};

}  // namespace zelk
