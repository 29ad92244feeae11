#pragma once
// Comparing the tree shown with an earlier scan file, its baseline: 「比較対象を開く…」 (Ctrl+B,
// also offered by the tree's context menu) reads one on the scan files' worker, the two trees
// are matched from the event loop a slice at a time, and the window then lists the growth;
// 「比較を終了」 (the same key) ends it. While comparing, 「増加でソート」 sorts by growth.

#include <QAction>
#include <QObject>
#include <exception>
#include <memory>
#include <string>

#include "scan/ScanComparison.h"
#include "scanfile/ScanFile.h"

class QPushButton;

namespace zelk {

class TfrmMain;

class CompareControl : public QObject {
    Q_OBJECT
  public:
    // Made once the window's controls and its context menu are: its sort button joins the
    // band, hidden, and the context menu ends with both ways of comparing.
    explicit CompareControl(TfrmMain& form);
    ~CompareControl() override;

    // 「比較対象を開く…」 while nothing is compared, 「比較を終了」 while something is.
    QAction& ToggleAction() { return *toggle_; }
    QPushButton& SortButton() const { return *sortButton_; }
    void ToggleClick();
    // Compares the finished tree shown with file; when none is shown yet (a scan or an open
    // still running), with the next one that finishes. A file that cannot be read gets the
    // error box, and the window keeps what it showed.
    void CompareWithFile(const std::string& file);
    void End();
    // A baseline being read or matched, or being shown.
    bool Active() const;

    // The window's own calls: the tree shown goes (with its comparison), or a finished one has
    // just been listed.
    void TreeDropping();
    void TreeFinished();
    // Frees a comparison, and the baseline it holds, on another thread.
    static void Release(std::unique_ptr<ScanComparison> comparison);

  private:
    void BaselineRead(ScanFile file, std::exception_ptr error);
    void Continue();
    void Show(std::unique_ptr<ScanComparison> comparison);
    void ShowState();

    TfrmMain& form_;
    QAction* toggle_;
    QPushButton* sortButton_;
    std::string waitingFile_;  // for the next finished tree
    std::unique_ptr<ScanComparison> matching_;
    bool stepPosted_ = false;
};

}  // namespace zelk
