#pragma once
// Helpers of the scan tests: a fresh directory tree per test mapped as drive c, a stand-in for
// the user-interface thread's event loop, and a recording status line.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/DirectoryService.h"
#include "scan/StatusLine.h"
#include "scan/TFileAttr.h"
#include "scan/TSearchThread.h"

namespace zelk::test {

// A mkdtemp directory holding the volume root "vol" (so that the root's ".." is ours too),
// installed as drive c and removed with everything below it at the end.
class TempTree {
  public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& Root() const { return root_; }
    std::string PathOf(const std::string& relative) const { return root_ + "/" + relative; }

    void MakeDir(const std::string& relative) const;
    void WriteFile(const std::string& relative, std::size_t size) const;
    // A file of size bytes of which only the first written bytes are allocated.
    void WriteSparse(const std::string& relative, std::uint64_t size, std::size_t written) const;
    void SetTime(const std::string& relative, std::int64_t seconds) const;  // "" is the root

  private:
    std::string base_;
    std::string root_;
};

// The seconds since the epoch of a local calendar time.
std::int64_t LocalSeconds(int year, int month, int day, int hour, int minute, int second);

// Serves the frame's steps on the calling thread, which becomes the user-interface thread.
class TestUiLoop {
  public:
    TestUiLoop();
    ~TestUiLoop();
    void RunUntil(const std::function<bool()>& done);
    // Any thread: makes the loop look at its condition again.
    void Wake();
    int WakeUps() const;

  private:
    mutable std::mutex mutex_;
    std::condition_variable woken_;
    bool pending_ = false;
    int wakeUps_ = 0;
};

class RecordingStatusLine : public StatusLine {
  public:
    void SetSimpleText(const std::string& text) override;
    std::vector<std::string> Texts;
    std::function<void()> OnText;  // runs after each text is recorded
};

struct ScanOptions {
    char Drive = 'c';
    StatusLine* StatusBar = nullptr;
    DirectoryService* Files = nullptr;  // the real file system when null
    // Runs here before each served batch of steps while the walk goes on.
    std::function<void(TSearchThread&)> EachTurn = nullptr;
};

// Scans into a fresh root on a worker thread, serving its steps here, and returns the root.
std::unique_ptr<TFileAttr> Scan(TestUiLoop& loop, const ScanOptions& options = {});

// find's sums over the non-directory entries below path, on the walk's two bases: sizes, and
// allocations where a regular file has holes (else sizes). entries < 0: find failed.
struct FindSums {
    double size = 0;
    double compressed = 0;
    int entries = -1;
    int sparse = 0;
};
FindSums SumWithFind(const std::string& path);

// du's totals of path (apparent, allocated bytes) less the directories' own, which the walk
// counts as 0; negative when du or find failed.
std::pair<double, double> DuOfFiles(const std::string& path);

// The record at a path of names below root ("a/b"), or nullptr.
const TFileAttr* Find(const TFileAttr& root, const std::string& names);

}  // namespace zelk::test
