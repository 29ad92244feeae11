#include "scan/TSearchThread.h"

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "scan/DateCache.h"
#include "scan/RealPath.h"
#include "scan/RecordSink.h"

namespace zelk {
namespace {

// One directory being listed: the state that a recursive walk would keep in its frame.
struct Level {
    TFileAttr* record;
    std::unique_ptr<DirectoryListing> listing;
    std::size_t pathLength;  // of the directory's own path in CurrentPath
    bool started = false;
};

// The levels being walked. However the walk ends (a return, a stop, an error), they go deepest
// first, so that a listing's parent is still there while the listing goes.
class LevelStack {
  public:
    LevelStack() = default;
    ~LevelStack() {
        while (!levels_.empty()) {
            levels_.pop_back();
        }
    }
    LevelStack(const LevelStack&) = delete;
    LevelStack& operator=(const LevelStack&) = delete;

    bool empty() const { return levels_.empty(); }
    Level& back() { return levels_.back(); }
    void push_back(Level&& level) { levels_.push_back(std::move(level)); }
    void pop_back() { levels_.pop_back(); }

  private:
    std::vector<Level> levels_;
};

}  // namespace

TSearchThread::TSearchThread(bool createSuspended, TFileAttr* root)
    : TThread(createSuspended),
      Root(root),
      files_(&SystemDirectoryService()),
      updateStep_([this] { UpdateStatus(); }) {}

TSearchThread::~TSearchThread() {
    // The walk reads this object's fields: it must be over before they go.
    StopAndAwaitForRelease();
}

void TSearchThread::Run() {
    if (Root == nullptr) {
        return;
    }
    Root->Name = "\\";
    Root->Drive = Drive;
    Search(*Root);
}

void TSearchThread::Search(TFileAttr& record) {
    Walk(record);
    HandStatus(true);
}

void TSearchThread::Walk(TFileAttr& record) {
    if (StopRequested()) {
        return;
    }
    // The one place that reads a record's path: below it, paths grow and shrink with the walk.
    CurrentPath.assign(record.Path());
    ReadBudget budget = ReadBudget::Unbounded();
    RecordSink sink(budget);
    sink.OpenTop(record);
    LevelStack levels;
    levels.push_back(Level{&record, files_->OpenRoot(Drive), CurrentPath.size()});
    if (levels.back().listing == nullptr && Drive != 0) {
        sink.MarkUnread(RecordSink::Unread::Failed);
    }
    FindData entry;
    unsigned entriesSinceCheck = 0;
    while (!levels.empty()) {
        Level& level = levels.back();
        TFileAttr& dir = *level.record;
        bool found = false;
        if (!level.started) {
            level.started = true;
            found = level.listing != nullptr && level.listing->Next(entry);
        } else {
            found = level.listing->Next(entry);
            if (StopRequested()) {
                sink.Abandon();
                return;
            }
            // A long listing still lets the path entered before it reach the status line.
            if (!status_.Empty() && (++entriesSinceCheck & 63) == 0) {
                HandStatus(false);
            }
        }
        if (!found) {
            if (level.listing != nullptr && level.listing->Failed()) {
                sink.MarkUnread(RecordSink::Unread::Failed);
            }
            sink.CloseDirectory(dir);
            levels.pop_back();
            continue;
        }

        const bool directory = entry.Type == EntryType::Directory;
        CurrentPath.resize(level.pathLength);
        if (directory) {
            CurrentPath.push_back('\\');
            CurrentPath.append(entry.Name);
        }
        const auto written =
            entry.LookedUp ? std::optional<std::int64_t>(entry.LastWriteTime) : std::nullopt;
        if (!IsSubDirectory(entry)) {
            sink.AddFile({FileSizeOf(entry), CompressedSizeOf(entry), entry.Device, entry.Inode,
                          entry.Links > 1, written});
            continue;
        }

        if (StatusBar.load(std::memory_order_acquire) != nullptr) {
            if (!StatusRoot.empty()) {
                BuildRealPath(realPath_, StatusRoot, record, dir, entry.Name);
            }
            status_.Add(StatusRoot.empty() ? CurrentPath : realPath_);
            HandStatus(false);
        }
        TFileAttr& child = sink.OpenDirectory(entry.Name, written);
        if (StopRequested()) {
            sink.Abandon();
            return;
        }
        auto listing = files_->OpenChild(*level.listing, entry);
        // Not opened: unreadable, unless it was never meant to be read.
        if (entry.OtherVolumeOrLoop) {
            sink.MarkUnread(RecordSink::Unread::NotEntered);
        } else if (listing == nullptr) {
            sink.MarkUnread(RecordSink::Unread::Failed);
        }
        levels.push_back(Level{&child, std::move(listing), CurrentPath.size()});
    }
}

void TSearchThread::UpdateStatus() {
    status_.ShowOn(StatusBar);
}

void TSearchThread::HandStatus(bool force) {
    if (status_.Empty()) {
        return;
    }
    // Cleared by the close handler: nobody is left to show them.
    if (StatusBar.load(std::memory_order_acquire) == nullptr) {
        status_.Clear();
        return;
    }
    const StatusBatch::Clock::time_point now = StatusBatch::Clock::now();
    if (force || status_.Due(now)) {
        CallOnUiThread(updateStep_);
        status_.Handed(now);
    }
}

double TSearchThread::MakeSize(std::uint32_t high, std::uint32_t low) {
    return static_cast<double>(high) * 4294967296.0 + static_cast<double>(low);
}

double TSearchThread::FileSizeOf(const FindData& entry) {
    return MakeSize(static_cast<std::uint32_t>(entry.Size >> 32),
                    static_cast<std::uint32_t>(entry.Size));
}

double TSearchThread::CompressedSizeOf(const FindData& entry) {
    // Less allocated than its size: compressed by the file system, or sparse.
    if (entry.Type != EntryType::RegularFile || !entry.Allocation ||
        *entry.Allocation >= entry.Size) {
        return FileSizeOf(entry);
    }
    return static_cast<double>(*entry.Allocation);
}

double TSearchThread::FileDateOf(const FindData& entry) {
    return DateCache::Convert(entry.LastWriteTime);
}

}  // namespace zelk
