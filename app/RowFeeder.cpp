#include "app/RowFeeder.h"

#include <algorithm>

#include "app/TreeListing.h"
#include "app/TreeNodeModel.h"

namespace zelk {
namespace {

// A few milliseconds on our machines; each insertion also costs the view's bookkeeping.
constexpr std::size_t kNodesPerTurn = 8192;
constexpr std::size_t kCostOfInsertion = 16;

}  // namespace

RowFeeder::RowFeeder(TreeNodeModel& model) : model_(model) {
    turn_.setSingleShot(true);
    turn_.setInterval(0);
    connect(&turn_, &QTimer::timeout, this, &RowFeeder::Step);
}

TTreeNode* RowFeeder::Add(TTreeNode* parent, const TFileAttr& record) {
    TTreeNode* node = model_.AddListed(parent, FiguresOf(record), record.Children.size());
    Describe(*node, record);
    if (!record.Children.empty()) {
        queue_.push_back({&record, node, 0});
    }
    return node;
}

void RowFeeder::FeedChildren(const TFileAttr& record, TTreeNode* node) {
    if (!record.Children.empty()) {
        queue_.push_back({&record, node, 0});
    }
}

void RowFeeder::FeedChild(const TFileAttr& record, TTreeNode* parent) {
    model_.InsertRows(parent, 1, [&] { Add(parent, record); });
}

void RowFeeder::Drop() {
    queue_.clear();
    turn_.stop();
}

void RowFeeder::Step() {
    for (std::size_t budget = kNodesPerTurn; budget > 0 && !queue_.empty();) {
        Listing& at = queue_.front();
        const auto& children = at.record->Children;
        const std::size_t count = std::min(budget, children.size() - at.next);
        // The new nodes queue behind this one: the reference goes stale, its fields do not.
        const Listing listing = at;
        if (count == children.size() - at.next) {
            queue_.pop_front();
        } else {
            at.next += count;
        }
        model_.InsertRows(listing.node, static_cast<int>(count), [&] {
            for (std::size_t i = listing.next; i < listing.next + count; ++i) {
                Add(listing.node, *children[i]);
            }
        });
        budget -= std::min(budget, count + kCostOfInsertion);
    }
    if (!queue_.empty()) {
        turn_.start();
    } else if (Done) {
        Done();
    }
}

}  // namespace zelk
