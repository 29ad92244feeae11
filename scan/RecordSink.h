#pragma once
// Builds the records of a tree from what a source reads of it: the one keeper of a record's
// rules (totals, compressed sizes, hard links counted once, dates, directories not read). A walk
// of the file system and a scan file's reader feed it alike, and so may any other source of a
// tree, so that each gives the records the others would.
//
// All calls come from one thread, in the order of a depth-first reading:
//   OpenTop(record)           first and once: the record to build below (a new root, or a record
//                             read again, whose old children the caller has cleared); it becomes
//                             the one open directory.
//   OpenDirectory(name, ...)  a sub-directory of the innermost open directory, which it becomes.
//   AddFile(file)             an entry of the innermost open directory that is not opened.
//   MarkUnread(why)           the innermost open directory was not (wholly) read.
//   CloseDirectory(record)    the innermost open directory is finished: its totals go into its
//                             record and are folded into its parent's.
//   Abandon()                 the read stops: the open directories keep no totals and stay
//                             unsearched, but what each has seen dates its ancestors.
// A source that gives up on the way (a refused scan file) drops the sink and the records together.
// Debug builds assert the order.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "scan/DateCache.h"
#include "scan/FileIdSet.h"
#include "scan/ReadBudget.h"
#include "scan/TFileAttr.h"

namespace zelk {

class RecordSink {
  public:
    // What a source knows of a file, or of any entry it does not open.
    struct File {
        double size = 0;
        // Bytes it occupies: the compressed total takes them where they are below size.
        double onDisk = 0;
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        // It has other names, and device and inode tell which file it is: it counts where it is
        // met first.
        bool linked = false;
        std::optional<std::int64_t> written;  // its last write in Unix seconds, if known
    };
    enum class Unread {
        Failed,      // could not be listed, or not to its end: counts what was read
        NotEntered,  // another volume's mount point (or a way back up), never meant to be read
    };

    // The records made, the hard-link set and the open levels draw on budget.
    explicit RecordSink(ReadBudget& budget) : budget_(budget) {}
    RecordSink(const RecordSink&) = delete;
    RecordSink& operator=(const RecordSink&) = delete;

    // written: the top directory's own date, where the source does not list it as an entry.
    void OpenTop(TFileAttr& top, std::optional<std::int64_t> written = {});
    TFileAttr& OpenDirectory(std::string_view name, std::optional<std::int64_t> written);
    void AddFile(const File& file);
    void MarkUnread(Unread why);
    void CloseDirectory(const TFileAttr& dir);
    void Abandon();

    // Open directories, the top one included.
    std::size_t Depth() const { return levels_.size(); }

  private:
    struct Level {
        TFileAttr* record;
        double size = 0;
        double compressed = 0;
        std::int32_t deepest;
    };
    void Push(TFileAttr& record);
    double DateOf(const std::optional<std::int64_t>& written);
    // A directory is as new as the newest thing it holds; an unknown date (0) never wins.
    static void TakeDate(TFileAttr& dir, double date);

    ReadBudget& budget_;
    std::vector<Level> levels_;
    std::size_t levelsCharged_ = 0;
    bool topOpened_ = false;
    FileIdSet links_;
    DateCache dates_;
};

}  // namespace zelk
