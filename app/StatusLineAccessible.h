#pragma once
// What assistive technology reads from the status line: a status bar whose name is the text it
// shows, or the control's own name while it shows none.

#include <QAccessibleWidget>

namespace zelk {

class TStatusBar;

class StatusLineAccessible : public QAccessibleWidget {
  public:
    explicit StatusLineAccessible(TStatusBar* line);

    QString text(QAccessible::Text kind) const override;
};

}  // namespace zelk
