#include "app/GraphPathStrip.h"

#include <QHBoxLayout>
#include <QToolButton>
#include <algorithm>

#include "app/ErrorGuard.h"

namespace zelk {

GraphPathStrip::GraphPathStrip(QWidget* parent) : QWidget(parent), row_(new QHBoxLayout(this)) {
    row_->setContentsMargins(0, 0, 0, 0);
    row_->setSpacing(0);
    row_->addStretch(1);
    setSizePolicy(QSizePolicy::Preferred,
                  QSizePolicy::Fixed);  // one line; the graph takes the rest
    setVisible(false);
}

void GraphPathStrip::ShowPath(const TFileAttr* root, const TFileAttr* shown) {
    for (QToolButton* button : buttons_) {
        // Later: this may run inside the button's own click.
        button->hide();
        button->deleteLater();
    }
    buttons_.clear();
    parts_.clear();
    if (root == nullptr || shown == nullptr || shown == root) {
        setVisible(false);
        return;
    }
    for (const TFileAttr* up = shown; up != nullptr && up != root; up = up->Parent) {
        if (parts_.size() == static_cast<std::size_t>(kNearest)) {
            break;
        }
        parts_.push_back(up);
    }
    parts_.push_back(root);
    std::reverse(parts_.begin(), parts_.end());
    for (const TFileAttr* part : parts_) {
        auto* button = new QToolButton(this);
        const std::string name = part->Name.Str();
        button->setText(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, part] {
            Guarded([this, part] {
                if (OnPick) {
                    OnPick(*part);
                }
            });
        });
        row_->insertWidget(row_->count() - 1, button);
        buttons_.push_back(button);
    }
    buttons_.back()->setEnabled(false);  // the directory shown now
    setVisible(true);
}

}  // namespace zelk
