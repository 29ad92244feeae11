#pragma once
// The tree control's place around one node while the nodes below it are replaced: which of
// them were expanded and which was current, by their names, and the scroll position.

#include <string>
#include <vector>

namespace zelk {

class TTreeNode;
class TTreeView;

class TreePlace {
  public:
    explicit TreePlace(TTreeView& tree) : tree_(tree) {}

    // The scroll, and with node (which stays) the expanded and current nodes below it.
    void Remember(TTreeNode* node);
    // Once node's new children are listed: the nodes of the same names expanded and current.
    void Restore();
    // The nodes remembered are gone.
    void Forget() { node_ = nullptr; }

  private:
    TTreeView& tree_;
    TTreeNode* node_ = nullptr;
    std::vector<std::vector<std::string>> expanded_;  // shallower first
    std::vector<std::string> current_;
    int scroll_ = 0;
};

}  // namespace zelk
