#pragma once
// Tab pages: one row of tabs on top, one page shown at a time. The user changes the page with
// the tabs or Ctrl+Tab / Ctrl+Shift+Tab; no window handler runs on a change.

#include <QTabWidget>

namespace zelk {

class TPageControl : public QTabWidget {
    Q_OBJECT
  public:
    explicit TPageControl(QWidget* parent = nullptr);

    QWidget* ActivePage() const { return currentWidget(); }
    // The page already active changes nothing.
    void SetActivePage(QWidget* page);
};

}  // namespace zelk
