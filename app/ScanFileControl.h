#pragma once
// The main window's scan files: Ctrl+S saves the finished scan, Ctrl+O or a file dropped onto
// the window opens one, read on a worker of its own and then shown as a finished scan. An open
// waits for no scan and no scan starts during an open; a file that cannot be read or written
// gets the error box, and the window keeps what it showed.

#include <QObject>
#include <memory>
#include <string>

#include "runtime/TThread.h"
#include "scanfile/TScanFileThread.h"

namespace zelk {

class TfrmMain;

class ScanFileControl : public QObject {
    Q_OBJECT
  public:
    // Adds the shortcuts to the window and takes the files dropped onto it.
    explicit ScanFileControl(TfrmMain& form);
    // An open still running is abandoned.
    ~ScanFileControl() override;

    // The click handlers ask for the name in a file dialog.
    void SaveClick();
    void OpenClick();
    // Raises EScanFileError when the file cannot be written; needs a finished scan.
    void SaveTo(const std::string& file);
    void Open(const std::string& file);
    bool Opening() const { return thread_ != nullptr; }
    // An open still running is stopped without its completion and waited for about a second;
    // a read stuck in the kernel ends the program without it (a close).
    void AbandonOpen();

    // A scan of drive has finished: a save names its root with the drive's mount point.
    void ScanFinished(char drive);
    // The path a save names the root with: the scanned mount point, or the opened root's name.
    std::string ShownRootName;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool CanSave() const;
    void OpenDone();

    TfrmMain& form_;
    std::unique_ptr<TScanFileThread> thread_;
};

}  // namespace zelk
