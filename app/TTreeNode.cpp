#include "app/TTreeNode.h"

#include <QIcon>

#include "app/TImageList.h"
#include "app/TreeNodeModel.h"

namespace zelk {
namespace {

const char* const kUnreadableDescription = "このディレクトリは読み取れませんでした";

}  // namespace

const std::string& TTreeNode::Text() const {
    if (text_ == nullptr || (listed_ && generation_ != owner_->TextGeneration())) {
        text_ = std::make_unique<std::string>(owner_->MakeText(figures_));
        generation_ = owner_->TextGeneration();
    }
    return *text_;
}

QVariant TTreeNode::Data(int role, const TImageList* images) const {
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
        case Qt::AccessibleTextRole: {
            const std::string& text = Text();
            return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        }
        case Qt::DecorationRole:
            return images != nullptr ? images->Icon(ImageIndex, SelectedIndex) : QIcon();
        case Qt::AccessibleDescriptionRole:
            return Unreadable ? QString::fromUtf8(kUnreadableDescription) : QVariant();
        default:
            return {};
    }
}

}  // namespace zelk
