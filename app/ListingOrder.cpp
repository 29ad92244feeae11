#include "app/ListingOrder.h"

#include <utility>

#include "app/CompareControl.h"
#include "app/GraphPage.h"
#include "app/SteppedSort.h"
#include "app/SubtreeSurgery.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "app/TreeListing.h"
#include "app/ViewPlace.h"
#include "app/WideListIndex.h"

namespace zelk {

ListingOrder::ListingOrder(TfrmMain& form, const std::string& key, WideListIndex& graphIndex)
    : form_(form),
      key_(key),
      graphIndex_(graphIndex),
      sorting_(std::make_unique<SteppedSort>([this] { form_.RefreshTree(); })),
      growth_(GraphGrowth::Of([this] { return comparison_.get(); })) {}

ListingOrder::~ListingOrder() = default;

void ListingOrder::Sort() {
    if (key_.empty() || form_.FinishedTree() == nullptr || form_.Actions().Running()) {
        return;
    }
    if (savesReadingShown_ > 0) {
        resortAfterSave_ = true;
        return;
    }
    TFileAttr& root = *form_.FinishedTree();
    graphIndex_.Clear();
    form_.Place().Capture(root);  // while the listing still follows the records' order
    sorting_->Start(key_, root, comparison_.get());
}

void ListingOrder::BasisChanged() {
    if (key_.empty() && comparison_ != nullptr && form_.FinishedTree() != nullptr) {
        form_.RefreshTree();
        return;
    }
    Sort();
}

bool ListingOrder::SortPending() const {
    return sorting_->Pending() || resortAfterSave_;
}

void ListingOrder::SaveStarted(const TFileAttr* records) {
    if (records != form_.ShownTree()) {
        return;
    }
    ++savesReadingShown_;
    if (sorting_->Pending()) {
        sorting_->Discard();
        resortAfterSave_ = true;
    }
}

void ListingOrder::SaveEnded(const TFileAttr* records) {
    if (records != form_.ShownTree() || savesReadingShown_ == 0 || --savesReadingShown_ > 0) {
        return;
    }
    if (std::exchange(resortAfterSave_, false)) {
        Sort();
    }
}

void ListingOrder::ReplaceComparison(std::unique_ptr<ScanComparison> next) {
    sorting_->Discard();
    TTreeView& tree = *form_.Controls().TreeView1;
    if (tree.Model().Deferring()) {
        ClearNodes(tree);  // its steps read the comparison
    }
    const TFileAttr* finished = form_.FinishedTree().get();
    if (finished != nullptr) {
        form_.Place().Capture(*finished);
    }
    CompareControl::Release(std::exchange(comparison_, std::move(next)));
    form_.Graph().GrowthChanged();
    if (finished == nullptr) {
        return;
    }
    if (key_ == "Growth" && savesReadingShown_ == 0) {
        Sort();  // lists when sorted
    } else {
        form_.RefreshTree();
    }
}

void ListingOrder::Rematch(TFileAttr* changed, TFileAttr* alsoChanged) {
    const TFileAttr* finished = form_.FinishedTree().get();
    if (comparison_ == nullptr || finished == nullptr) {
        return;
    }
    for (TFileAttr* record : {changed, alsoChanged}) {
        if (record != nullptr) {
            comparison_->Rematch(*record);
        }
    }
    form_.Place().Capture(*finished);
    form_.RefreshTree();
}

void ListingOrder::TreeDropping() {
    sorting_->Discard();
    savesReadingShown_ = 0;
    resortAfterSave_ = false;
    CompareControl::Release(std::move(comparison_));
}

}  // namespace zelk
