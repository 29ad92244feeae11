#pragma once
// Where a save's bytes go, chosen so that saving never harms what is at the path. A device, a
// FIFO, a socket or standard output ("-") is written as a stream. A file, or the final target of
// a chain of symbolic links, is replaced by a file made beside it that takes over its mode and
// owner; where its folder takes no new file but the file itself may be written, the bytes are
// staged apart and then written over it in place. Until Commit the old file stays as it was.

#include <signal.h>
#include <sys/stat.h>

#include <functional>
#include <string>

namespace zelk {

class SaveTarget {
  public:
    SaveTarget() = default;
    // Abandons what was not committed: no temp file stays, the old file is untouched, a stream
    // simply ends.
    ~SaveTarget();
    SaveTarget(const SaveTarget&) = delete;
    SaveTarget& operator=(const SaveTarget&) = delete;

    // False when stopped (asked while a FIFO waits for its reader) abandoned it. Raises
    // EScanFileError with the reason. newMode is that of a file made where none was.
    bool Open(const std::string& path, const std::function<bool()>& stopped, mode_t newMode = 0666);
    int Descriptor() const { return fd_; }
    // Makes the written bytes the file at the path, durably. Raises EScanFileError.
    void Commit();

    // Told each folder fsynced after a rename into it; for tests.
    static inline void (*FolderSynced)(const std::string& folder) = nullptr;

  private:
    enum class Kind { Stream, Replace, InPlace };

    bool OpenStream(const struct stat& node, const std::function<bool()>& stopped);
    bool CreateBeside(const struct stat* old, mode_t newMode = 0666);
    void OpenInPlace(int besideError);
    void CopyInPlace();
    void SyncFolder() const;
    void MaskBrokenPipe();

    Kind kind_ = Kind::Replace;
    int fd_ = -1;
    bool ownsFd_ = true;
    bool syncStream_ = false;
    // In place: the file written over; fd_ then holds the staged bytes.
    int inPlace_ = -1;
    std::string path_;
    std::string temp_;
    // A stream's reader may go away: EPIPE is reported instead of this thread being killed.
    bool pipeMasked_ = false;
    bool pipePending_ = false;
    sigset_t oldMask_{};
};

}  // namespace zelk
