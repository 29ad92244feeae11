#pragma once
// The tree listing: one node per directory record, nested like the directories, each node's
// text giving the directory's shares of the drive, its sizes, its compression ratio and its
// newest write date.

#include <cstddef>
#include <string>

#include "app/TTreeNode.h"
#include "scan/ScanComparison.h"
#include "scan/TFileAttr.h"

namespace zelk {

class TTreeNode;
class TTreeView;

// Whole bytes with the locale's thousands separators: the currency text without its first
// character where that is the locale's currency sign, at most 100 characters.
std::string FormatSize(long double value);

// The node text of record under root: name, shares, sizes, ratio and date (none for 0).
std::string NodeText(const TFileAttr& record, const TFileAttr& root);
// The same from the figures a node keeps, with the root's two totals.
std::string NodeText(const TTreeNode::Figures& record, long double rootSize,
                     long double rootCompressed);

// The picture indices of a directory's node: the unreadable folder for both, or the closed
// folder and the open one while selected.
constexpr int kClosedFolderImage = 0;
constexpr int kOpenFolderImage = 1;
constexpr int kUnreadableFolderImage = 2;

// Adds the record's node as the last child of parent (a top-level node for nullptr), then
// the nodes of its subtree in Children order. Any depth fits the stack. The texts are made only
// when first asked for, from the figures of the records as they are now. A large subtree is
// added in steps from the event loop (the records must stay until the tree control is read or
// cleared, which finishes or drops the rest).
// While the tree is compared with a baseline, each text ends in its growth on the size basis in
// force, and a directory's removed children follow its children as rows of their own.
void AddNodes(TTreeView& tree, const TFileAttr& record, const TFileAttr& root, TTreeNode* parent,
              const ScanComparison* comparison = nullptr);

// The record's place among its parent's children (0 for the root).
std::size_t ChildIndex(const TFileAttr& record);
// The node listed for record, which is root or below it, once the listing is complete; nullptr
// when the tree holds no such node. Neither recurses, so any depth fits.
TTreeNode* NodeOf(TTreeView& tree, const TFileAttr& root, const TFileAttr& record);
// The record that node was listed for, nullptr when root has none at its place.
const TFileAttr* RecordOf(const TFileAttr& root, const TTreeNode& node);

// Deletes every node of the tree, first node first.
void ClearNodes(TTreeView& tree);

}  // namespace zelk
