#pragma once
// Every finished scan of a drive or folder kept for the user, so that 「前回と比較」 (Ctrl+Shift+B)
// compares the tree shown with the previous scan of the same place in one step. Keeping runs on
// a worker after the scan's completion and fails quietly: the status line says why, once, and the
// scan shown stays as it is.

#include <QObject>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/TSaveThread.h"
#include "scanfile/KeptScans.h"

class QAction;

namespace zelk {

class TfrmMain;

class KeptScanControl : public QObject {
    Q_OBJECT
  public:
    // Adds 「前回と比較」 to the window. Kept in KeptScans::DefaultFolder().
    explicit KeptScanControl(TfrmMain& form);
    // A keep still running is abandoned (no file of its own left) and waited for.
    ~KeptScanControl() override;

    // The tree shown is a finished scan of place (its real path): kept on a worker.
    void ScanFinished(const std::string& place);
    // The tree shown was read from file, whose root is place: its previous scan is the newest
    // kept before it when it is a kept one, else the newest kept.
    void Opened(const std::string& file, const std::string& place);
    // The kept file of the scan of the same place before the one shown.
    std::optional<std::string> PreviousFile() const;
    // Compares the tree shown with PreviousFile(); the status line says when there is none.
    void CompareWithPrevious();
    bool Keeping() const { return !keeps_.empty(); }
    // A close: a keep still in its body after about a second is left behind.
    void StopAll();

    QAction& CompareAction() const { return *compare_; }
    const KeptScans& Keeper() const { return keeper_; }

  private:
    void KeepDone(TSaveThread& done);

    TfrmMain& form_;
    const KeptScans keeper_;
    QAction* compare_;
    // Of the tree shown: its place (empty: nothing to compare) and when it was scanned.
    std::string place_;
    std::int64_t stamp_ = 0;
    // One per scan that finished while an earlier keep still ran.
    std::vector<std::unique_ptr<TSaveThread>> keeps_;
};

}  // namespace zelk
