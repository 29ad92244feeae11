#include "app/TRadioButton.h"

namespace zelk {

TRadioButton::TRadioButton(const QString& text, QWidget* parent) : QRadioButton(text, parent) {
    setAutoExclusive(true);
    FollowCheck(isChecked());
    connect(this, &QAbstractButton::toggled, this, &TRadioButton::FollowCheck);
    // clicked comes after the check has moved and the other button was unchecked.
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (justChecked_) {
            justChecked_ = false;
            emit Click();
        }
    });
}

void TRadioButton::nextCheckState() {
    const bool wasChecked = isChecked();
    QRadioButton::nextCheckState();
    justChecked_ = !wasChecked && isChecked();
}

void TRadioButton::FollowCheck(bool checked) {
    setFocusPolicy(checked ? Qt::StrongFocus : Qt::ClickFocus);
}

}  // namespace zelk
