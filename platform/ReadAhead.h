#pragma once
// Threads that list and look up directories ahead of one depth-first walk, so that the walk
// finds the entries of the sub-directories it enters waiting. How far ahead is ReadAheadWindow's,
// how many threads ReadAheadPace's; what is kept in memory is bounded by the window's byte
// budget, and each thread holds one descriptor of its own at a time. Threads beyond the count
// are parked; with more than one, the entries of a listed directory are looked up in parallel.
//
// The calls, every one of them from the thread that walks (asserted in debug builds):
//  - Register a listing the walk holds in memory with its sub-directories to enter, in order.
//    Sources nest like the walk's levels: the newest is the deepest.
//  - Take the result of each sub-directory of the newest source as the walk enters it, in
//    increasing order; those passed over are discarded.
//  - CloseSource before the source's descriptor is closed (it waits for threads opening
//    through it) and ReopenSource once it is open again.
//  - Unregister the newest source before its listing goes; it waits for the threads listing
//    for it, and closes what was kept for it.
//  - GiveBack when the process has no descriptor left.
//  - Tick for each entry the walk hands out: the count of threads adapts on it.
//  - Destroy it only once every source is unregistered.
// The reading threads (and the walk itself, while it waits in Take) open a target through its
// source's descriptor, list it into the target's job and may keep its descriptor for the walk.
// They never close a source's descriptor. LookUp, from any thread, shares a batch's names with
// them; its rules are ReadAheadLookUps'.

#include <sys/stat.h>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/AheadListing.h"
#include "platform/DirectoryReader.h"
#include "platform/EntryBatch.h"
#include "platform/MountFence.h"
#include "platform/ReadAheadCrew.h"
#include "platform/ReadAheadLookUps.h"
#include "platform/ReadAheadPace.h"

namespace zelk {

class ReadAhead {
  public:
    using Target = AheadTarget;
    using Result = AheadResult;
    struct Source;

    // Where a job stands when the pause hook is called: before opening its directory, and
    // opened but before listing it.
    enum class Step { Opening, Listing };
    // Called unlocked on the thread that runs a job, at each Step: tests hold a thread there.
    using PauseHook = std::function<void(Step, const Target&)>;

    // threads: a fixed count, or negative for one that adapts. fence outlives this object.
    ReadAhead(int threads, const MountFence& fence, PauseHook pause = {});
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // fd stays open until CloseSource; self is its look-up.
    Source* Register(int fd, const struct stat& self, std::vector<Target> targets);
    void CloseSource(Source* source);
    // What the source has left to read is read ahead again, through fd.
    void ReopenSource(Source* source, int fd);
    void Unregister(Source* source);
    // The listing of the target at index, once it is done; false when it is not read ahead (a
    // target not yet started is then left to the walk, never waited for).
    bool Take(Source* source, std::size_t index, Result& result);
    // Closes the descriptors kept for the walk (none are kept from then on), or else waits
    // until no thread holds one; the threads start nothing more until the walk registers or
    // reopens a source. False when none was held.
    bool GiveBack();
    void Tick() {
        if (pace_.Tick()) {
            crew_.Resize(pace_.Count());
        }
    }
    // No thread runs (for now).
    bool Idle() const { return crew_.Active() == 0; }
    // Looks up every name of the batch, with the help of the threads while more than one runs.
    void LookUp(EntryBatch& batch) { lookUps_.LookUp(batch); }

  private:
    struct Job;
    // What a thread of the crew (or the walk, waiting in Take) does next: helps look up a shared
    // batch, else runs a job.
    bool RunOne(std::unique_lock<std::mutex>& lock, DirectoryReader& reader);
    // The nearest job to start within the window, or nullptr; called locked.
    Job* Pick(Source*& from);
    // Opens and lists the job's directory, unlocked meanwhile; called locked.
    void Run(std::unique_lock<std::mutex>& lock, Source& source, Job& job, DirectoryReader& reader);
    // Closes the descriptor a job kept for the walk; called locked.
    void CloseKept(Job& job);
    // Tells the threads there may be more to pick; called locked.
    void Wake();
    void AssertWalkThread() const;

    const MountFence& fence_;
    const PauseHook pause_;
    const std::thread::id walkThread_;
    std::mutex mutex_;
    // The walk waits for a job or a closing descriptor, a batch's owner for its helpers.
    std::condition_variable done_;
    std::vector<std::unique_ptr<Source>> sources_;
    std::size_t mostKept_;
    std::size_t kept_ = 0;  // descriptors kept for the walk
    int running_ = 0;       // jobs being opened and listed
    bool paused_ = false;   // see GiveBack
    DirectoryReader walkReader_;
    ReadAheadPace pace_;
    ReadAheadLookUps lookUps_;
    ReadAheadCrew crew_;  // last, so that its threads end first
};

}  // namespace zelk
