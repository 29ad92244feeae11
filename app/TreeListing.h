#pragma once
// The tree listing: one node per directory record, nested like the directories, each node's
// text giving the directory's shares of the drive, its sizes, its compression ratio and its
// newest write date.

#include <string>

#include "scan/TFileAttr.h"

namespace zelk {

class TTreeNode;
class TTreeView;

// Whole bytes with the locale's thousands separators: the currency text without its first
// character (the sign), at most 100 characters.
std::string FormatSize(long double value);

// The node text of record under root: name, shares, sizes, ratio and date.
std::string NodeText(const TFileAttr& record, const TFileAttr& root);

// Adds the record's node as the last child of parent (a top-level node for nullptr), then
// the nodes of its subtree in Children order. Any depth fits the stack.
void AddNodes(TTreeView& tree, const TFileAttr& record, const TFileAttr& root, TTreeNode* parent);

// Deletes every node of the tree, first node first.
void ClearNodes(TTreeView& tree);

}  // namespace zelk
