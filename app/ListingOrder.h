#pragma once
// The order and the growth of the shown listing: the records sorted by the window's key in steps,
// never while a save reads them on its worker, and the comparison with a baseline whose growth
// the listing shows and a growth sort follows. Each change lists the tree again in place.

#include <memory>
#include <string>

#include "app/GraphGrowth.h"
#include "scan/ScanComparison.h"
#include "scan/TFileAttr.h"

namespace zelk {

class SteppedSort;
class TfrmMain;
class WideListIndex;

class ListingOrder {
  public:
    // key is the window's sort key; graphIndex is emptied whenever the order changes.
    ListingOrder(TfrmMain& form, const std::string& key, WideListIndex& graphIndex);
    ~ListingOrder();

    // Sorts the shown tree by the key and lists it when done: only once a key is chosen, only a
    // finished tree and not while an action changes it; while a save reads the records, once
    // the last one has ended.
    void Sort();
    // A basis changes the sizes, and the growth a compared listing shows.
    void BasisChanged();
    // A large sort still going on in steps, or one waiting for a save of the shown records.
    bool SortPending() const;

    // A save reads records on a worker: until every save of the shown ones has ended nothing
    // reorders them, and a sort asked for meanwhile, or dropped here, runs then. A save of
    // records no longer shown counts for nothing.
    void SaveStarted(const TFileAttr* records);
    void SaveEnded(const TFileAttr* records);
    // A save or a keep reads the shown records on its worker: they must not change meanwhile.
    bool BeingSaved() const { return savesReadingShown_ > 0; }

    // Matched with the shown tree; nullptr while nothing is compared.
    const ScanComparison* Comparison() const { return comparison_.get(); }
    const GraphGrowth* Growth() const { return comparison_ != nullptr ? &growth_ : nullptr; }
    // The one way the comparison shown changes (nullptr ends it): a sort still going is
    // dropped, the old comparison freed on another thread, and the listing made again.
    void ReplaceComparison(std::unique_ptr<ScanComparison> next);
    // After a rescan, trash or delete changed these records while comparing: they are matched
    // again and the listing made again in its place.
    void Rematch(TFileAttr* changed, TFileAttr* alsoChanged);

    // The shown records go: a sort of them is dropped, their saves count no more and their
    // comparison is freed on another thread.
    void TreeDropping();

  private:
    TfrmMain& form_;
    const std::string& key_;
    WideListIndex& graphIndex_;
    std::unique_ptr<SteppedSort> sorting_;
    int savesReadingShown_ = 0;
    bool resortAfterSave_ = false;
    GraphGrowth growth_;  // of comparison_
    std::unique_ptr<ScanComparison> comparison_;
};

}  // namespace zelk
