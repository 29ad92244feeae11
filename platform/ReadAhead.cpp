#include "platform/ReadAhead.h"

#include <unistd.h>

#include <cassert>
#include <utility>

#include "platform/ReadAheadWindow.h"

namespace zelk {
struct ReadAhead::Job {
    enum class State { Pending, Listing, Done, Left };
    Target target;
    State state = State::Pending;
    std::unique_ptr<Result> result;
    int fd = -1;  // kept for the walk
    std::size_t bytes = 0;
};

struct ReadAhead::Source {
    int fd = -1;
    struct stat self {};
    std::vector<Job> jobs;
    std::size_t next = 0;   // no job before it is pending
    std::size_t taken = 0;  // the walk has passed every job before it
    std::size_t bytes = 0;  // of the results waiting
    int opening = 0;        // threads opening through fd
    int listing = 0;        // threads listing one of its jobs
    std::atomic<bool> unregistered{false};
};

ReadAhead::ReadAhead(int threads, const MountFence& fence, PauseHook pause)
    : fence_(fence),
      pause_(std::move(pause)),
      walkThread_(std::this_thread::get_id()),
      mostKept_(ReadAheadWindow::MostKept(threads)),
      pace_(threads),
      lookUps_(mutex_, done_, crew_),
      crew_(mutex_, [this](std::unique_lock<std::mutex>& lock, DirectoryReader& reader) {
          return RunOne(lock, reader);
      }) {
    crew_.Resize(pace_.Count());
}

ReadAhead::~ReadAhead() {
    {
        const std::lock_guard lock(mutex_);
        assert(sources_.empty());
    }
    crew_.Stop();
}

void ReadAhead::AssertWalkThread() const {
    assert(std::this_thread::get_id() == walkThread_);
}

void ReadAhead::Wake() {
    paused_ = false;
    crew_.Changed();
}

ReadAhead::Source* ReadAhead::Register(int fd, const struct stat& self,
                                       std::vector<Target> targets) {
    AssertWalkThread();
    auto source = std::make_unique<Source>();
    source->fd = fd;
    source->self = self;
    source->jobs.resize(targets.size());
    for (std::size_t i = 0; i < targets.size(); ++i) {
        assert(i == 0 || targets[i - 1].index < targets[i].index);
        source->jobs[i].target = std::move(targets[i]);
    }
    Source* registered = source.get();
    {
        const std::lock_guard lock(mutex_);
        sources_.push_back(std::move(source));
        Wake();
    }
    crew_.Wake();
    return registered;
}

void ReadAhead::CloseSource(Source* source) {
    AssertWalkThread();
    std::unique_lock lock(mutex_);
    source->fd = -1;
    done_.wait(lock, [source] { return source->opening == 0; });
}

void ReadAhead::ReopenSource(Source* source, int fd) {
    AssertWalkThread();
    {
        const std::lock_guard lock(mutex_);
        assert(source == sources_.back().get() && source->fd < 0);
        source->fd = fd;
        Wake();
    }
    crew_.Wake();
}

bool ReadAhead::GiveBack() {
    AssertWalkThread();
    std::unique_lock lock(mutex_);
    mostKept_ = 0;
    paused_ = true;
    const bool kept = kept_ > 0;
    for (auto it = sources_.rbegin(); it != sources_.rend() && kept_ > 0; ++it) {
        for (Job& job : (*it)->jobs) {
            CloseKept(job);
        }
    }
    if (kept) {
        return true;
    }
    const bool running = running_ > 0;
    done_.wait(lock, [this] { return running_ == 0; });
    return running;
}

void ReadAhead::Unregister(Source* source) {
    AssertWalkThread();
    source->unregistered.store(true, std::memory_order_relaxed);
    std::unique_lock lock(mutex_);
    assert(!sources_.empty() && source == sources_.back().get());
    source->fd = -1;
    done_.wait(lock, [source] { return source->opening == 0 && source->listing == 0; });
    for (Job& job : source->jobs) {
        CloseKept(job);
    }
    sources_.pop_back();
    crew_.Changed();
    lock.unlock();
    // Its waiting results no longer count against the budget.
    crew_.Wake();
}

bool ReadAhead::Take(Source* source, std::size_t index, Result& result) {
    AssertWalkThread();
    std::unique_lock lock(mutex_);
    assert(source == sources_.back().get());
    std::vector<Job>& jobs = source->jobs;
    for (; source->taken < jobs.size() && jobs[source->taken].target.index < index;
         ++source->taken) {
        Job& passed = jobs[source->taken];
        done_.wait(lock, [&passed] { return passed.state != Job::State::Listing; });
        CloseKept(passed);
        source->bytes -= passed.bytes;
        passed.bytes = 0;
        passed.result.reset();
        passed.state = Job::State::Left;
    }
    if (source->taken == jobs.size() || jobs[source->taken].target.index != index) {
        return false;
    }
    Job& job = jobs[source->taken++];
    // Rather than sleep while a thread lists it, the walk lists what comes after.
    while (job.state == Job::State::Listing) {
        if (!RunOne(lock, walkReader_)) {
            done_.wait(lock);
        }
    }
    const bool done = job.state == Job::State::Done;
    job.state = Job::State::Left;
    if (!done) {
        return false;
    }
    source->bytes -= job.bytes;
    job.bytes = 0;
    result = std::move(*job.result);
    job.result.reset();
    result.fd = std::exchange(job.fd, -1);
    if (result.fd >= 0) {
        --kept_;
    }
    crew_.Changed();
    lock.unlock();
    crew_.Wake();
    return true;
}

ReadAhead::Job* ReadAhead::Pick(Source*& from) {
    if (paused_) {
        return nullptr;
    }
    std::size_t nearer = 0;
    for (auto it = sources_.rbegin(); it != sources_.rend(); ++it) {
        Source& source = **it;
        nearer += source.bytes;
        // Listings that are open form the deepest levels in a row.
        if (source.fd < 0 || !ReadAheadWindow::Admits(nearer)) {
            return nullptr;
        }
        while (source.next < source.jobs.size() &&
               source.jobs[source.next].state != Job::State::Pending) {
            ++source.next;
        }
        if (source.next < source.jobs.size()) {
            from = &source;
            return &source.jobs[source.next++];
        }
    }
    return nullptr;
}

void ReadAhead::CloseKept(Job& job) {
    if (job.fd >= 0) {
        close(job.fd);
        job.fd = -1;
        --kept_;
    }
}

bool ReadAhead::RunOne(std::unique_lock<std::mutex>& lock, DirectoryReader& reader) {
    if (lookUps_.Help(lock)) {
        return true;
    }
    Source* source = nullptr;
    Job* job = Pick(source);
    if (job != nullptr) {
        Run(lock, *source, *job, reader);
    }
    return job != nullptr;
}

void ReadAhead::Run(std::unique_lock<std::mutex>& lock, Source& source, Job& job,
                    DirectoryReader& reader) {
    job.state = Job::State::Listing;
    ++running_;
    ++source.opening;
    ++source.listing;
    const int parentFd = source.fd;
    lock.unlock();
    if (pause_) {
        pause_(Step::Opening, job.target);
    }
    OpenedDirectory opened;
    const bool open = OpenListed(parentFd, job.target.name.c_str(), opened);
    lock.lock();
    --source.opening;
    done_.notify_all();
    lock.unlock();
    if (open && pause_) {
        pause_(Step::Listing, job.target);
    }
    auto result = std::make_unique<Result>();
    std::size_t bytes = 0;
    const bool listed = open && ListAhead(
                                    opened, source.self, job.target, fence_,
                                    ReadAheadWindow::kMostEntries, source.unregistered, reader,
                                    [this](EntryBatch& batch) { LookUp(batch); }, *result, bytes);
    lock.lock();
    if (listed) {
        job.result = std::move(result);
        job.bytes = bytes;
        source.bytes += bytes;
        if (kept_ < mostKept_) {
            job.fd = std::exchange(opened.fd, -1);
            ++kept_;
        }
    }
    opened.Close();
    --running_;
    --source.listing;
    job.state = listed ? Job::State::Done : Job::State::Left;
    done_.notify_all();
}

}  // namespace zelk
