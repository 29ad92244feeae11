#pragma once
// The batches of names one ReadAhead shares with its threads (see EntryBatch). LookUp, from any
// thread, shares a batch while more than one thread runs and looks its names up itself; the
// threads (and the walk, while it waits in Take) help with a shared batch before they start
// anything else. They look up names through the batch's directory descriptor, which its owner
// keeps open until they are done: LookUp returns only once no thread helps with its batch.

#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/EntryBatch.h"
#include "platform/ReadAheadCrew.h"

namespace zelk {

class ReadAheadLookUps {
  public:
    // mutex is the owner's lock, done is notified whenever a batch is shared and as a helper
    // leaves one; they and crew outlive this object.
    ReadAheadLookUps(std::mutex& mutex, std::condition_variable& done, ReadAheadCrew& crew)
        : mutex_(mutex), done_(done), crew_(crew) {}
    ReadAheadLookUps(const ReadAheadLookUps&) = delete;
    ReadAheadLookUps& operator=(const ReadAheadLookUps&) = delete;

    // Looks up every name of the batch, with the help of the threads while more than one runs;
    // unlocked.
    void LookUp(EntryBatch& batch);
    // Looks up names of a shared batch that has names left, unlocked meanwhile; called locked.
    // False when there is none.
    bool Help(std::unique_lock<std::mutex>& lock);

  private:
    std::mutex& mutex_;
    std::condition_variable& done_;
    ReadAheadCrew& crew_;
    std::vector<EntryBatch*> shared_;
};

}  // namespace zelk
