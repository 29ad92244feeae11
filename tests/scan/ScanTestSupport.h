#pragma once
// Helpers of the scan tests: a fresh directory tree per test mapped as drive c, a scan on a
// worker thread, a recording status line, and counts made by other tools.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ScriptedService.h"
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
    // In order: "dir/" a directory, "file=size" a file of size bytes ("file" an empty one).
    void Make(const std::vector<std::string>& paths) const;
    // A file of size bytes of which only the first written bytes are allocated.
    void WriteSparse(const std::string& relative, std::uint64_t size, std::size_t written) const;
    // The last-write time as a local time text ("2020-01-31 12:00:00"); "" is the root.
    void SetTime(const std::string& relative, const std::string& when) const;
    // Drive c again, with these mount points inside it left alone.
    void SetOtherMounts(const std::vector<std::string>& paths) const;

  private:
    std::string base_;
    std::string root_;
};

// The walk's date of a local time text.
double LocalDate(const std::string& when);

class RecordingStatusLine : public StatusLine {
  public:
    void SetSimpleText(const std::string& text) override {
        Texts.push_back(text);
        OnText();
    }
    std::vector<std::string> Texts;
    std::function<void()> OnText = [] {};  // runs after each text is recorded
};

struct ScanOptions {
    char Drive = 'c';
    StatusLine* StatusBar = nullptr;
    DirectoryService* Files = nullptr;  // the real file system when null
    std::function<void(TSearchThread&)> BeforeStart = [](TSearchThread&) {};
    // The environment's setting when kReadAheadAsSet, the automatic count when kAutomatic.
    static constexpr int kReadAheadAsSet = -1;
    static constexpr int kAutomatic = -2;
    int ReadAheadThreads = kReadAheadAsSet;
    long FileLimit = 0;  // the open-file limit while it runs; 0 leaves it as it is
};

// Scans into a fresh root on a worker thread and returns the root. The calling thread becomes
// the user-interface thread and serves the walk's steps while it waits.
std::unique_ptr<TFileAttr> Scan(const ScanOptions& options = {});

// The numbers a shell command prints; none when it fails.
std::vector<double> NumbersOf(const std::string& command);

// find's sums over the non-directory entries below path, each inode once, on the walk's two
// bases: sizes, and allocations where a regular file has holes (else sizes).
struct FindSums {
    double size = 0;
    double compressed = 0;
    int sparse = 0;  // 0 when find fails
};
FindSums SumWithFind(const std::string& path);

// Descriptors this process has open.
long OpenDescriptors();

// A record and its subtree as "name size/compressed [L<deepest>] [u] [?] [undated] {children}",
// children in name order: u marks an unreadable record, ? one not searched.
std::string Brief(const TFileAttr& record);

// Every field of every record, children in walk order, one line a record.
std::string Outline(const TFileAttr& record);

// The outline and then the status texts of a scan through files with threads reading ahead (as
// in ScanOptions), stopped when the walk is handed the entry named stopAt ("": never).
std::string OutlineAndSteps(ScriptedService& files, int threads, const std::string& stopAt);

// The record at a path of names below root ("a/b"), or nullptr.
const TFileAttr* Find(const TFileAttr& root, const std::string& names);

}  // namespace zelk::test
