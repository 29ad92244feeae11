#include "app/TreeNodePool.h"

#include <new>
#include <utility>

#include "app/BackgroundReleaser.h"

namespace zelk {
namespace {

constexpr std::size_t kNodesPerBlock = 4096;
// A million directories list a million nodes: no padding between their fields.
static_assert(sizeof(void*) != 8 || sizeof(TTreeNode) <= 104);

// Calls end(node) for every node of a subtree, each after its children are known, so end may
// destroy it. Iterative: directory trees can be deeper than the stack allows recursion.
template <typename End>
void EndSubtree(TTreeNode* node, End end) {
    std::vector<TTreeNode*> pending{node};
    while (!pending.empty()) {
        TTreeNode* next = pending.back();
        pending.pop_back();
        for (int i = 0; i < next->Count(); ++i) {
            pending.push_back(next->Item(i));
        }
        end(next);
    }
}

// Nodes that nothing reaches any more, with the blocks they live in.
struct NodeGraveyard {
    std::vector<TTreeNode*> roots;
    std::vector<std::unique_ptr<std::byte[]>> blocks;
    ~NodeGraveyard() {
        for (TTreeNode* root : roots) {
            EndSubtree(root, [](TTreeNode* node) { node->~TTreeNode(); });
        }
    }
};

}  // namespace

TTreeNode* TreeNodePool::Make(const TreeNodeModel* owner, TTreeNode* parent, int row) {
    if (!freeSlots_.empty()) {
        auto* node = new (freeSlots_.back()) TTreeNode(owner, parent, row);
        freeSlots_.pop_back();
        return node;
    }
    if (blocks_.empty() || usedInLastBlock_ == kNodesPerBlock) {
        blocks_.push_back(std::make_unique<std::byte[]>(kNodesPerBlock * sizeof(TTreeNode)));
        usedInLastBlock_ = 0;
    }
    void* slot = blocks_.back().get() + usedInLastBlock_ * sizeof(TTreeNode);
    auto* node = new (slot) TTreeNode(owner, parent, row);
    ++usedInLastBlock_;
    return node;
}

int TreeNodePool::Free(TTreeNode* node) {
    int freed = 0;
    EndSubtree(node, [&](TTreeNode* next) {
        next->~TTreeNode();
        freeSlots_.push_back(next);
        ++freed;
    });
    return freed;
}

void TreeNodePool::ReleaseAll(std::vector<TTreeNode*> roots) {
    if (blocks_.empty()) {
        return;
    }
    auto graveyard = std::make_shared<NodeGraveyard>();
    graveyard->roots = std::move(roots);
    graveyard->blocks = std::move(blocks_);
    blocks_.clear();
    freeSlots_.clear();
    usedInLastBlock_ = 0;
    BackgroundReleaser::Instance().Release(std::move(graveyard));
}

}  // namespace zelk
