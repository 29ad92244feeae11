#include "scan/TSearchThread.h"

#include <memory>
#include <vector>

#include "platform/LocalTime.h"
#include "runtime/DateCalendar.h"

namespace zelk {
namespace {

bool IsDotName(const std::string& name) {
    return name == "." || name == "..";
}

// One directory being listed: the state that a recursive walk would keep in its frame.
struct Level {
    TFileAttr* record;
    std::unique_ptr<DirectoryListing> listing;
    double size = 0;
    double compressed = 0;
    std::int32_t deepest;
    std::size_t pathLength;  // of the walk's path text while this level is listed
    bool started = false;
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
void Abandon(std::vector<Level>& levels) {
    while (!levels.empty()) {
        const TFileAttr& child = *levels.back().record;
        levels.pop_back();
        if (!levels.empty()) {
            FoldChild(levels.back(), child);
        }
    }
}

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
    if (StopRequested()) {
        return;
    }
    // The path of the directory being listed, grown and cut back as the walk goes down and up,
    // so no path is built again from the records.
    std::string path = record.Path();
    std::vector<Level> levels;
    levels.push_back(Level{&record, files_->OpenRoot(Drive), 0, 0, record.Level, path.size()});
    FindData entry;
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
        }
        if (!found) {
            dir.Size = level.size;
            dir.CompressedSize = level.compressed;
            dir.Searched = true;
            dir.MaxLevel = level.deepest;
            levels.pop_back();
            if (!levels.empty()) {
                FoldChild(levels.back(), dir);
                path.resize(levels.back().pathLength);
            }
            continue;
        }

        const double date = FileDateOf(entry);
        CurrentPath.assign(path);
        CurrentPath.push_back('\\');
        CurrentPath.append(entry.Name);
        level.size += FileSizeOf(entry);
        level.compressed += CompressedSizeOf(CurrentPath, entry);
        if (date > dir.LastWrite) {
            dir.LastWrite = date;
        }
        if ((entry.Attributes & kFileAttributeDirectory) == 0 || IsDotName(entry.Name)) {
            continue;
        }

        if (StatusBar.load(std::memory_order_acquire) != nullptr) {
            CallOnUiThread(updateStep_);
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
        path = CurrentPath;
        levels.push_back(Level{&child, std::move(listing), 0, 0, child.Level, path.size()});
    }
}

void TSearchThread::UpdateStatus() {
    if (StatusLine* bar = StatusBar.load(std::memory_order_acquire)) {
        bar->SetSimpleText(CurrentPath);
    }
}

double TSearchThread::MakeSize(std::uint32_t high, std::uint32_t low) {
    return static_cast<double>(high) * 4294967296.0 + static_cast<double>(low);
}

double TSearchThread::FileSizeOf(const FindData& entry) {
    return MakeSize(entry.SizeHigh, entry.SizeLow);
}

double TSearchThread::CompressedSizeOf(const std::string& path, const FindData& entry) {
    if ((entry.Attributes & kFileAttributeCompressed) == 0 ||
        (entry.Attributes & kFileAttributeDirectory) != 0) {
        return FileSizeOf(entry);
    }
    std::uint32_t high = 0;
    const std::uint32_t low = files_->GetCompressedFileSize(path, entry, high);
    if (low == 0xFFFFFFFFu) {
        return FileSizeOf(entry);
    }
    return MakeSize(high, low);
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
