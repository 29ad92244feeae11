#include "app/TTreeNode.h"

#include "app/TreeNodeModel.h"

namespace zelk {

const std::string& TTreeNode::Text() const {
    if (text_ == nullptr || (listed_ && generation_ != owner_->TextGeneration())) {
        text_ = std::make_unique<std::string>(owner_->MakeText(figures_));
        generation_ = owner_->TextGeneration();
    }
    return *text_;
}

}  // namespace zelk
