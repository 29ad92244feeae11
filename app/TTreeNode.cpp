#include "app/TTreeNode.h"

#include "app/TreeNodeModel.h"

namespace zelk {

const std::string& TTreeNode::Text() const {
    if (text_ == nullptr) {
        text_ = std::make_unique<std::string>(owner_->MakeText(figures_));
    }
    return *text_;
}

}  // namespace zelk
