#include "scan/RecordSink.h"

#include <cassert>
#include <memory>

namespace zelk {
namespace {

// What a record costs besides its name: itself, its allocation, its place in its parent's list
// and its name's block.
constexpr std::uint64_t kRecordBytes = sizeof(TFileAttr) + 64;

}  // namespace

void RecordSink::OpenTop(TFileAttr& top, std::optional<std::int64_t> written) {
    assert(!topOpened_ && "the top is opened once, before anything else");
    topOpened_ = true;
    budget_.Spend(kRecordBytes);
    // A record read again is readable until this read finds otherwise.
    top.Unreadable = false;
    TakeDate(top, DateOf(written));
    Push(top);
}

TFileAttr& RecordSink::OpenDirectory(std::string_view name, std::optional<std::int64_t> written) {
    assert(!levels_.empty() && "a directory opens inside an open one");
    budget_.Spend(kRecordBytes + name.size());
    TFileAttr& parent = *levels_.back().record;
    auto owned = std::make_unique<TFileAttr>();
    TFileAttr& child = *owned;
    child.Parent = &parent;
    child.Level = parent.Level + 1;
    child.Name = name;
    child.LastWrite = DateOf(written);
    parent.Children.push_back(std::move(owned));
    Push(child);
    return child;
}

void RecordSink::AddFile(const File& file) {
    assert(!levels_.empty() && "a file belongs to an open directory");
    Level& level = levels_.back();
    TakeDate(*level.record, DateOf(file.written));
    if (file.linked && !links_.Insert(file.device, file.inode, budget_)) {
        return;
    }
    level.size += file.size;
    level.compressed += file.onDisk < file.size ? file.onDisk : file.size;
}

void RecordSink::MarkUnread(Unread why) {
    assert(!levels_.empty() && "only an open directory is marked");
    TFileAttr& dir = *levels_.back().record;
    (why == Unread::Failed ? dir.Unreadable : dir.OtherVolume) = true;
}

void RecordSink::CloseDirectory([[maybe_unused]] const TFileAttr& dir) {
    assert(!levels_.empty() && levels_.back().record == &dir &&
           "only the innermost open directory closes");
    const Level done = levels_.back();
    levels_.pop_back();
    TFileAttr& record = *done.record;
    record.Size = done.size;
    record.CompressedSize = done.compressed;
    record.MaxLevel = done.deepest;
    record.Searched = true;
    if (levels_.empty()) {
        return;
    }
    Level& parent = levels_.back();
    parent.size += done.size;
    parent.compressed += done.compressed;
    if (done.deepest > parent.deepest) {
        parent.deepest = done.deepest;
    }
    TakeDate(*parent.record, record.LastWrite);
}

void RecordSink::Abandon() {
    for (; levels_.size() > 1; levels_.pop_back()) {
        TakeDate(*levels_[levels_.size() - 2].record, levels_.back().record->LastWrite);
    }
    levels_.clear();
}

void RecordSink::Push(TFileAttr& record) {
    if (levels_.size() == levelsCharged_) {
        budget_.Spend(sizeof(Level));
        ++levelsCharged_;
    }
    levels_.push_back(Level{&record, 0, 0, record.Level});
}

double RecordSink::DateOf(const std::optional<std::int64_t>& written) {
    return written ? dates_.DateOf(*written) : 0;
}

void RecordSink::TakeDate(TFileAttr& dir, double date) {
    if (date != 0 && (dir.LastWrite == 0 || date > dir.LastWrite)) {
        dir.LastWrite = date;
    }
}

}  // namespace zelk
