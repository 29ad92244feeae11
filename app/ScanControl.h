#pragma once
// The records the window shows and the scan of the chosen drive that writes them: one scan at a
// time, stopped by the stop button or a close, its completion reported in the status line on
// the user-interface thread; and the one way another tree is shown.

#include <memory>

#include "scan/TFileAttr.h"
#include "scan/TSearchThread.h"

namespace zelk {

class TfrmMain;
class WideListIndex;

class ScanControl {
  public:
    // graphIndex is emptied whenever the shown tree goes.
    ScanControl(TfrmMain& form, WideListIndex& graphIndex);
    ~ScanControl();

    // The records the window shows: those a scan writes into until it has finished, and
    // nullptr after a close.
    TFileAttr* Shown() const { return RootAttr.get(); }
    // The shown records once complete (a scan that finished, an opened file), else nullptr.
    std::shared_ptr<TFileAttr> Finished() const { return finished_ ? RootAttr : nullptr; }
    bool Scanning() const { return SearchThread != nullptr; }
    const TSearchThread* Worker() const { return SearchThread.get(); }
    // Whatever still works on the old tree (a sort or a listing in steps) is dropped, the
    // graph forgets it and its records are freed on another thread once nothing reads them.
    // A complete listing stays on screen until the next listing; a partial one goes.
    void ReplaceShown(std::unique_ptr<TFileAttr> next, bool finished);

    // What the window's btnStartClick, btnStopClick, SearchDone, SearchAborted, StopThread and
    // FormCloseQuery do; the thread's completion handlers are the window's.
    void Start();
    void Stop();
    void Done();
    void Aborted();
    static void StopThread(std::unique_ptr<TSearchThread> thread);
    // A close: a worker stuck in the file system is left behind after about a second.
    void Close();
    // The window goes without a close: its scan ends the same way, before its controls go.
    void WindowGoing();

  private:
    TfrmMain& form_;
    WideListIndex& graphIndex_;
    std::shared_ptr<TFileAttr> RootAttr;
    // Set only on this thread once the tree is complete: the worker's writes are then seen
    // through the frame's completion step, never through the records' own flags.
    bool finished_ = false;
    std::unique_ptr<TSearchThread> SearchThread;
};

}  // namespace zelk
