#pragma once
// The worker that walks one drive depth first and fills a tree of directory records with its
// totals, showing the path of each directory it is about to enter in the status line.

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/DirectoryService.h"
#include "platform/FindData.h"
#include "runtime/TThread.h"
#include "scan/StatusBatch.h"
#include "scan/StatusLine.h"
#include "scan/TFileAttr.h"

namespace zelk {

class TSearchThread : public TThread {
  public:
    TSearchThread(bool createSuspended, TFileAttr* root);
    // Stops and waits for a running walk before the fields it reads go away.
    ~TSearchThread() override;

    TFileAttr* Root;
    char Drive = 0;
    // The user-interface thread may clear it at any time while the walk runs.
    std::atomic<StatusLine*> StatusBar{nullptr};
    // Worker-owned; stable while a status step runs, since the worker waits for it.
    std::string CurrentPath;
    // The real path of the walked record, set before Start: the status line then gets the real
    // path of each directory instead of the drive-letter form (the window's own).
    std::string StatusRoot;

    // Fills record, the root of the walk, and its subtree. The walk keeps its own stack of
    // levels instead of recursing, in the same order and with the same results. Every path
    // gathered for the status line has been shown when it returns.
    void Search(TFileAttr& record);
    // The status step, on the user-interface thread: shows the paths entered since the last one.
    void UpdateStatus();

    static double MakeSize(std::uint32_t high, std::uint32_t low);
    static double FileSizeOf(const FindData& entry);
    static double CompressedSizeOf(const FindData& entry);
    // The local last-write time as a date-time value; 0 when it has no calendar date.
    static double FileDateOf(const FindData& entry);

    // The listing service to walk with; the real file system unless replaced before Start.
    void SetDirectoryService(DirectoryService& service) { files_ = &service; }

  protected:
    void Run() override;

  private:
    void Walk(TFileAttr& record);
    // Runs the status step when the gathered paths are due, or whenever any wait if force.
    void HandStatus(bool force);

    DirectoryService* files_;
    StatusBatch status_;
    std::string realPath_;  // worker-owned, as CurrentPath
    const TThreadStep updateStep_;
};

}  // namespace zelk
