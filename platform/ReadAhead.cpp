#include "platform/ReadAhead.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <utility>

namespace zelk {
namespace {

// Best measured on two cores, warm and cold (see the benchmark table).
constexpr int kAutomaticThreads = 2;
constexpr int kMostThreads = 16;
// Turns a thread looks for work before it sleeps: tens of microseconds.
constexpr int kIdleYields = 50;

std::size_t BytesOf(const FindData& entry) {
    // A name past the short-string buffer has its own block.
    return sizeof(FindData) + (entry.Name.size() > 15 ? entry.Name.capacity() + 1 : 0);
}

}  // namespace

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
    std::atomic<bool> dropped{false};
};

std::size_t ReadAhead::MostKept(int threads) {
    rlimit limit{};
    const rlim_t soft = getrlimit(RLIMIT_NOFILE, &limit) == 0 ? limit.rlim_cur : 1024;
    return std::max<std::size_t>(static_cast<std::size_t>(threads),
                                 std::min<rlim_t>(kMostKept, soft / 16));
}

ReadAhead::ReadAhead(int threads, const MountFence& fence)
    : fence_(fence), mostKept_(MostKept(threads)) {
    for (int i = 0; i < threads; ++i) {
        threads_.emplace_back([this] { Work(); });
    }
}

ReadAhead::~ReadAhead() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    work_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

ReadAhead::Source* ReadAhead::Register(int fd, const struct stat& self,
                                       std::vector<Target> targets) {
    auto source = std::make_unique<Source>();
    source->fd = fd;
    source->self = self;
    source->jobs.resize(targets.size());
    for (std::size_t i = 0; i < targets.size(); ++i) {
        source->jobs[i].target = std::move(targets[i]);
    }
    Source* registered = source.get();
    {
        const std::lock_guard lock(mutex_);
        sources_.push_back(std::move(source));
        paused_ = false;
        generation_.fetch_add(1, std::memory_order_relaxed);
    }
    work_.notify_all();
    return registered;
}

void ReadAhead::Close(Source* source) {
    std::unique_lock lock(mutex_);
    source->fd = -1;
    done_.wait(lock, [source] { return source->opening == 0; });
}

void ReadAhead::Reopen(Source* source, int fd) {
    {
        const std::lock_guard lock(mutex_);
        source->fd = fd;
        paused_ = false;
        generation_.fetch_add(1, std::memory_order_relaxed);
    }
    work_.notify_all();
}

bool ReadAhead::GiveBack() {
    std::unique_lock lock(mutex_);
    mostKept_ = 0;
    paused_ = true;
    const bool kept = kept_ > 0;
    for (auto it = sources_.rbegin(); it != sources_.rend() && kept_ > 0; ++it) {
        for (Job& job : (*it)->jobs) {
            Drop(job);
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
    source->dropped.store(true, std::memory_order_relaxed);
    std::unique_lock lock(mutex_);
    source->fd = -1;
    done_.wait(lock, [source] { return source->opening == 0 && source->listing == 0; });
    for (Job& job : source->jobs) {
        Drop(job);
    }
    const auto it = std::find_if(sources_.rbegin(), sources_.rend(),
                                 [source](const auto& s) { return s.get() == source; });
    sources_.erase(std::next(it).base());
    generation_.fetch_add(1, std::memory_order_relaxed);
    lock.unlock();
    // Its waiting results no longer count against the budget.
    work_.notify_all();
}

bool ReadAhead::Take(Source* source, std::size_t index, Result& result) {
    std::unique_lock lock(mutex_);
    std::vector<Job>& jobs = source->jobs;
    for (; source->taken < jobs.size() && jobs[source->taken].target.index < index;
         ++source->taken) {
        Job& passed = jobs[source->taken];
        done_.wait(lock, [&passed] { return passed.state != Job::State::Listing; });
        Drop(passed);
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
        Source* other = nullptr;
        if (Job* next = Pick(other)) {
            Run(lock, *other, *next, walkReader_);
        } else {
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
    result.fd = job.fd;
    if (job.fd >= 0) {
        job.fd = -1;
        --kept_;
    }
    generation_.fetch_add(1, std::memory_order_relaxed);
    lock.unlock();
    work_.notify_all();
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
        if (source.fd < 0 || nearer >= kBudget) {
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

void ReadAhead::Drop(Job& job) {
    if (job.fd >= 0) {
        close(job.fd);
        job.fd = -1;
        --kept_;
    }
}

void ReadAhead::Work() {
    DirectoryReader reader;
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        Source* source = nullptr;
        if (Job* job = Pick(source)) {
            Run(lock, *source, *job, reader);
            continue;
        }
        // The walk adds jobs a directory at a time: a thread asleep would often wake too late.
        const unsigned seen = generation_.load(std::memory_order_relaxed);
        lock.unlock();
        for (int i = 0; i < kIdleYields && generation_.load(std::memory_order_relaxed) == seen;
             ++i) {
            std::this_thread::yield();
        }
        lock.lock();
        if (generation_.load(std::memory_order_relaxed) == seen && !stopping_) {
            work_.wait(lock);
        }
    }
}

void ReadAhead::Run(std::unique_lock<std::mutex>& lock, Source& source, Job& job,
                    DirectoryReader& reader) {
    job.state = Job::State::Listing;
    ++running_;
    ++source.opening;
    ++source.listing;
    const int parentFd = source.fd;
    lock.unlock();
    OpenedDirectory opened;
    const bool open = OpenListed(parentFd, job.target.name.c_str(), opened);
    lock.lock();
    --source.opening;
    done_.notify_all();
    lock.unlock();
    const bool listed = open && List(opened, source, job, reader);
    lock.lock();
    if (listed && kept_ < mostKept_) {
        job.fd = std::exchange(opened.fd, -1);
        ++kept_;
    }
    opened.Close();
    --running_;
    --source.listing;
    job.state = listed ? Job::State::Done : Job::State::Left;
    source.bytes += job.bytes;
    done_.notify_all();
}

bool ReadAhead::List(const OpenedDirectory& opened, const Source& source, Job& job,
                     DirectoryReader& reader) {
    const Target& target = job.target;
    // The entry may have been replaced since it was listed: the walk judges what it opens.
    if (opened.self.st_dev != target.device || opened.self.st_ino != target.inode) {
        return false;
    }
    auto result = std::make_unique<Result>();
    result->self = opened.self;
    const int fd = opened.fd;
    const ListedDirectory listed{fd, &result->self, &source.self, &target.path, &fence_};
    std::size_t bytes = 0;
    FindData entry;
    reader.Restart();
    while (const dirent64* d = reader.Next(fd)) {
        if (result->entries.size() == kMostEntries ||
            source.dropped.load(std::memory_order_relaxed)) {
            return false;
        }
        if (LookUpEntry(listed, d->d_name, d->d_type, entry)) {
            bytes += BytesOf(entry);
            result->entries.push_back(std::move(entry));
        }
    }
    result->failed = reader.Failed();
    job.result = std::move(result);
    job.bytes = bytes;
    return true;
}

int ReadAhead::ThreadsFromEnvironment(unsigned cores) {
    const char* text = std::getenv("ZELK_READ_AHEAD");
    if (text != nullptr && *text != '\0') {
        char* end = nullptr;
        const long count = std::strtol(text, &end, 10);
        if (*end == '\0' && count >= 0) {
            return static_cast<int>(std::min<long>(count, kMostThreads));
        }
    }
    return cores <= 1 ? 0 : std::min(kAutomaticThreads, kMostThreads);
}

}  // namespace zelk
