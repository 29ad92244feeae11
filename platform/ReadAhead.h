#pragma once
// Threads that list and look up directories ahead of one depth-first walk. The walk registers
// each listing it holds in memory with the sub-directories it will enter from it, in order;
// the threads open those through the listing's own descriptor, nearest first, and list them
// into memory, so that the walk finds the entries waiting. Each thread holds one descriptor of
// its own at a time, and a bounded number are kept open for the walk to take over; what is kept
// in memory is bounded by a byte budget, whatever the tree.

#include <sys/stat.h>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/DirectoryReader.h"
#include "platform/EntryLookup.h"
#include "platform/FindData.h"
#include "platform/MountFence.h"

namespace zelk {

class ReadAhead {
  public:
    // A sub-directory to read ahead: its place among the registered listing's entries, its
    // name, the identity it was listed with, and its kept path (see MountFence).
    struct Target {
        std::size_t index = 0;
        std::string name;
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::string path;
    };
    struct Source;

    // A directory listed ahead: its own look-up and entries, whether the listing failed, and
    // its descriptor when one was kept for the walk (the taker's to close), else -1.
    struct Result {
        int fd = -1;
        struct stat self {};
        std::vector<FindData> entries;
        bool failed = false;
    };

    // Entries a thread lists of one directory before it leaves it to the walk.
    static constexpr std::size_t kMostEntries = 4096;
    // Bytes of waiting entries nearer to the walk than a directory to be started.
    static constexpr std::size_t kBudget = 1u << 20;

    // Descriptors of listed directories kept at most for the walk to take over (it would open
    // them again): most of those waiting, few against the process's limit, one per thread at
    // least.
    static constexpr std::size_t kMostKept = 64;
    static std::size_t MostKept(int threads);

    // fence outlives this object.
    ReadAhead(int threads, const MountFence& fence);
    // Ends the threads; every source must have been unregistered.
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Registers the open directory fd (self: its look-up) with the sub-directories to read
    // ahead; fd stays open until Close. Sources nest like the walk's levels: the newest is the
    // deepest.
    Source* Register(int fd, const struct stat& self, std::vector<Target> targets);
    // The source's descriptor is about to close: nothing more is opened through it.
    void Close(Source* source);
    // The closed source is open again as fd: what it has left to read is read ahead again.
    void Reopen(Source* source, int fd);
    // Forgets the source and what was listed for it.
    void Unregister(Source* source);
    // The listing of the target at index, once it is done; false when it is not read ahead (a
    // target not yet started is then left to the walk, never waited for).
    bool Take(Source* source, std::size_t index, Result& result);

    // The count of threads the environment asks for: ZELK_READ_AHEAD, or the automatic count
    // for cores when it is unset or empty.
    static int ThreadsFromEnvironment(unsigned cores);

    // The process has no descriptor left for the walk: closes those kept for it (none are kept
    // from then on), or else waits until no thread holds one; the threads start nothing more
    // until the walk registers or reopens a source. False when none was held.
    bool GiveBack();

  private:
    struct Job;
    void Work();
    // The nearest job to start within the budget, or nullptr; called locked.
    Job* Pick(Source*& from);
    // Opens and lists the job's directory, unlocked meanwhile; called locked.
    void Run(std::unique_lock<std::mutex>& lock, Source& source, Job& job, DirectoryReader& reader);
    // Lists the job's opened directory into it; false when it is left to the walk.
    bool List(const OpenedDirectory& opened, const Source& source, Job& job,
              DirectoryReader& reader);
    // Closes a job's kept descriptor; called locked.
    void Drop(Job& job);

    const MountFence& fence_;
    std::mutex mutex_;
    std::condition_variable work_;  // the threads wait for jobs
    std::condition_variable done_;  // the walk waits for a job or a closing descriptor
    std::vector<std::unique_ptr<Source>> sources_;
    std::size_t mostKept_;
    std::size_t kept_ = 0;  // descriptors kept for the walk
    int running_ = 0;       // jobs being opened and listed
    bool paused_ = false;   // see GiveBack
    bool stopping_ = false;
    std::atomic<unsigned> generation_{0};  // changes whenever there may be more to pick
    DirectoryReader walkReader_;
    std::vector<std::thread> threads_;
};

}  // namespace zelk
