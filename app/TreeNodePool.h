#pragma once
// Where the tree control's nodes live: blocks of a few thousand, so that making a million of them
// costs few allocations, with freed places reused. A whole tree goes with its blocks to the
// background releaser, so freeing it never holds the user-interface thread.

#include <cstddef>
#include <memory>
#include <vector>

#include "app/TTreeNode.h"

namespace zelk {

class TreeNodeModel;

class TreeNodePool {
  public:
    // The owner releases its nodes before the pool goes.
    TreeNodePool() = default;
    TreeNodePool(const TreeNodePool&) = delete;
    TreeNodePool& operator=(const TreeNodePool&) = delete;

    // Raises std::bad_alloc, leaving the pool as it was.
    TTreeNode* Make(const TreeNodeModel* owner, TTreeNode* parent, int row);
    // The node and its subtree back to the pool; how many nodes that was.
    int Free(TTreeNode* node);
    // The subtrees of roots, with every block, to the background releaser; the pool is left
    // empty.
    void ReleaseAll(std::vector<TTreeNode*> roots);

  private:
    std::vector<std::unique_ptr<std::byte[]>> blocks_;
    std::size_t usedInLastBlock_ = 0;
    std::vector<void*> freeSlots_;
};

}  // namespace zelk
