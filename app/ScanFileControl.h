#pragma once
// The main window's scan files: Ctrl+S saves the finished scan and Ctrl+O or a file dropped
// onto the window opens one, each on a worker of its own; an opened file is then shown as a
// finished scan. An open waits for no scan, and a start or a new open stops the open still
// running; a save goes on with the records it reads whatever is shown next. A file that cannot
// be read or written gets the error box, and the window keeps what it showed.

#include <QObject>
#include <QTimer>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/KeptScanControl.h"
#include "app/TSaveThread.h"
#include "runtime/TThread.h"
#include "scanfile/TScanFileThread.h"

class QDropEvent;

namespace zelk {

class TfrmMain;

class ScanFileControl : public QObject {
    Q_OBJECT
  public:
    // Adds the shortcuts to the window and takes the files dropped onto it.
    explicit ScanFileControl(TfrmMain& form);
    // An open still running is stopped, a save abandoned, and both waited for.
    ~ScanFileControl() override;

    // The click handlers ask for the name in a file dialog.
    void SaveClick();
    void OpenClick();
    // Starts a save of the finished tree, one at a time; its error comes in the error box.
    void SaveTo(const std::string& file);
    // With take, what was read (or the error that refused the file) goes to it instead of
    // being shown: a baseline to compare with.
    using Taker = std::function<void(ScanFile, std::exception_ptr)>;
    void Open(const std::string& file, Taker take = {});
    // A file dialog titled title for a scan file to open; empty when none was chosen.
    std::string AskFileToOpen(const char* title);
    bool Opening() const { return thread_ != nullptr; }
    // An open running for a taker.
    bool Taking() const { return thread_ != nullptr && take_ != nullptr; }
    bool Saving() const { return save_ != nullptr; }
    // Without a completion: nothing is shown of the open, and a save leaves no file of its own.
    void StopOpen();
    // A close: a worker still in its body after about a second is stuck in the kernel (a
    // hung mount, a FIFO) and the program ends without it.
    void StopAll();

    // A scan of drive has finished: a save names its root with the drive's mount point, and
    // the scan is kept.
    void ScanFinished(char drive);
    // The first local file of a drag, as the bytes of its name; empty when there is none.
    static std::string DraggedFile(const QDropEvent* drag);

    KeptScanControl& Kept() const { return *kept_; }
    // The path a save names the root with: the scanned mount point, or the opened root's name.
    std::string ShownRootName;
    // The shown tree was walked here (not read from a file): its paths exist on this machine.
    bool ShownWalked = false;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool CanSave() const;
    void OpenDone();
    void SaveDone();
    void ShowSaveProgress();
    void AbandonSave();
    void ReapLeftOpens();

    TfrmMain& form_;
    const std::unique_ptr<KeptScanControl> kept_;
    std::unique_ptr<TScanFileThread> thread_;
    Taker take_;  // of the open running
    std::unique_ptr<TSaveThread> save_;
    QTimer saveProgress_;
    // Stopped opens whose body has not returned yet.
    std::vector<std::unique_ptr<TScanFileThread>> leftOpens_;
    QTimer reaper_;
};

}  // namespace zelk
