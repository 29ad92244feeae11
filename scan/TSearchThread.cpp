#include "scan/TSearchThread.h"

#include <memory>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/LocalTime.h"
#include "runtime/DateCalendar.h"
#include "scan/RealPath.h"

namespace zelk {
namespace {

// One directory being listed: the state that a recursive walk would keep in its frame.
struct Level {
    TFileAttr* record;
    std::unique_ptr<DirectoryListing> listing;
    std::size_t pathLength;  // of the directory's own path in CurrentPath
    std::int32_t deepest;
    double size = 0;
    double compressed = 0;
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

// Folds a finished or abandoned child into the directory that lists it.
void FoldChild(Level& parent, const TFileAttr& child) {
    parent.size += child.Size;
    parent.compressed += child.CompressedSize;
    if (child.MaxLevel > parent.deepest) {
        parent.deepest = child.MaxLevel;
    }
    if (child.LastWrite > parent.record->LastWrite) {
        parent.record->LastWrite = child.LastWrite;
    }
}

// A stop leaves every level being walked without its totals; their dates still take what was
// seen, as returning through each level would.
void Abandon(LevelStack& levels) {
    while (!levels.empty()) {
        const TFileAttr& child = *levels.back().record;
        levels.pop_back();
        if (!levels.empty()) {
            FoldChild(levels.back(), child);
        }
    }
}

struct FileIdHash {
    std::size_t operator()(const std::pair<std::uint64_t, std::uint64_t>& id) const {
        return std::hash<std::uint64_t>()(id.second * 0x9E3779B97F4A7C15ull ^ id.first);
    }
};
// The dates of one walk's entries, converted once for each second met: the files of a
// directory are often written within the same few seconds, and a local-time conversion costs
// more than the rest of an entry's handling.
class DateCache {
  public:
    double DateOf(const FindData& entry) {
        Slot& slot = slots_[static_cast<std::uint64_t>(entry.LastWriteTime) % kSlots];
        if (!slot.filled || slot.seconds != entry.LastWriteTime) {
            slot = Slot{entry.LastWriteTime, TSearchThread::FileDateOf(entry), true};
        }
        return slot.date;
    }

  private:
    struct Slot {
        std::int64_t seconds = 0;
        double date = 0;
        bool filled = false;
    };
    static constexpr std::size_t kSlots = 64;
    Slot slots_[kSlots];
};

// Device and inode of the files with several links met so far: only the first meeting counts.
using HardLinks = std::unordered_set<std::pair<std::uint64_t, std::uint64_t>, FileIdHash>;

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
    LevelStack levels;
    levels.push_back(Level{&record, files_->OpenRoot(Drive), CurrentPath.size(), record.Level});
    record.Unreadable = levels.back().listing == nullptr && Drive != 0;
    HardLinks linked;
    DateCache dates;
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
                Abandon(levels);
                return;
            }
            // A long listing still lets the path entered before it reach the status line.
            if (!status_.Empty() && (++entriesSinceCheck & 63) == 0) {
                HandStatus(false);
            }
        }
        if (!found) {
            dir.Size = level.size;
            dir.CompressedSize = level.compressed;
            dir.Searched = true;
            dir.MaxLevel = level.deepest;
            if (level.listing != nullptr && level.listing->Failed()) {
                dir.Unreadable = true;
            }
            levels.pop_back();
            if (!levels.empty()) {
                FoldChild(levels.back(), dir);
            }
            continue;
        }

        const double date = entry.LookedUp ? dates.DateOf(entry) : 0;
        if (date > dir.LastWrite) {
            dir.LastWrite = date;
        }
        const bool directory = entry.Type == EntryType::Directory;
        if (!directory && entry.Links > 1 && !linked.insert({entry.Device, entry.Inode}).second) {
            continue;
        }
        CurrentPath.resize(level.pathLength);
        if (directory) {
            CurrentPath.push_back('\\');
            CurrentPath.append(entry.Name);
        }
        level.size += FileSizeOf(entry);
        level.compressed += CompressedSizeOf(entry);
        if (!IsSubDirectory(entry)) {
            continue;
        }

        if (StatusBar.load(std::memory_order_acquire) != nullptr) {
            if (!StatusRoot.empty()) {
                BuildRealPath(realPath_, StatusRoot, record, dir, entry.Name);
            }
            status_.Add(StatusRoot.empty() ? CurrentPath : realPath_);
            HandStatus(false);
        }
        auto owned = std::make_unique<TFileAttr>();
        TFileAttr& child = *owned;
        child.Parent = &dir;
        child.Level = dir.Level + 1;
        child.Name = entry.Name;
        child.LastWrite = date;
        dir.Children.push_back(std::move(owned));
        if (StopRequested()) {
            Abandon(levels);
            return;
        }
        auto listing = files_->OpenChild(*level.listing, entry);
        // Not opened: unreadable, unless it was never meant to be read.
        child.Unreadable = listing == nullptr && !entry.OtherVolumeOrLoop;
        child.OtherVolume = entry.OtherVolumeOrLoop;
        levels.push_back(Level{&child, std::move(listing), CurrentPath.size(), child.Level});
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
    LocalTime local;
    if (!LocalTimeOf(entry.LastWriteTime, local) || local.Year < 1 || local.Year > 9999) {
        return 0;
    }
    const auto day =
        DayNumberOf(static_cast<std::uint16_t>(local.Year), static_cast<std::uint16_t>(local.Month),
                    static_cast<std::uint16_t>(local.Day));
    // A leap second reads as the last second of its minute.
    const auto time = DayFractionOf(
        static_cast<std::uint16_t>(local.Hour), static_cast<std::uint16_t>(local.Minute),
        static_cast<std::uint16_t>(local.Second > 59 ? 59 : local.Second), 0);
    if (!day || !time) {
        return 0;
    }
    // Before 30 December 1899 the time of day counts away from zero, like the whole days.
    return *day >= 0 ? *day + *time : *day - *time;
}

}  // namespace zelk
