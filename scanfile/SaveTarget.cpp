#include "scanfile/SaveTarget.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>
#include <utility>
#include <vector>

#include "scanfile/EScanFileError.h"

namespace zelk {
namespace {

// As many links as the kernel itself follows in one path.
constexpr int kMaxLinks = 40;

[[noreturn]] void Fail(int error = errno) {
    throw EScanFileError(std::strerror(error));
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// The name a write through path finally reaches; a relative link counts from its own folder.
std::string FollowLinks(std::string path) {
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return path;
        }
        char target[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), target, sizeof target);
        if (n < 0) {
            Fail();
        }
        const std::string link(target, static_cast<std::size_t>(n));
        const auto slash = path.rfind('/');
        path = link.starts_with('/') || slash == std::string::npos
                   ? link
                   : path.substr(0, slash + 1) + link;
    }
    Fail(ELOOP);
}

void WriteAllAt(int fd, const char* data, std::size_t size, off_t at) {
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size, at);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            Fail();
        }
        data += n;
        size -= static_cast<std::size_t>(n);
        at += n;
    }
}

}  // namespace

SaveTarget::~SaveTarget() {
    if (fd_ >= 0 && ownsFd_) {
        ::close(fd_);
    }
    if (inPlace_ >= 0) {
        ::close(inPlace_);
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
    }
    if (pipeMasked_) {
        // Takes the signal the masked writes raised, so that unmasking does not deliver it.
        sigset_t pipe;
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        sigset_t pending;
        const timespec now{};
        if (!pipePending_ && sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1) {
            sigtimedwait(&pipe, nullptr, &now);
        }
        pthread_sigmask(SIG_SETMASK, &oldMask_, nullptr);
    }
}

bool SaveTarget::Open(const std::string& path, const std::function<bool()>& stopped,
                      mode_t newMode) {
    if (path == "-") {
        kind_ = Kind::Stream;
        fd_ = STDOUT_FILENO;
        ownsFd_ = false;
        MaskBrokenPipe();
        return true;
    }
    path_ = FollowLinks(path);
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) {
        if (errno != ENOENT) {
            Fail();
        }
        CreateBeside(nullptr, newMode);
        return true;
    }
    if (S_ISDIR(st.st_mode)) {
        Fail(EISDIR);
    }
    if (!S_ISREG(st.st_mode)) {
        return OpenStream(st, stopped);
    }
    if (!CreateBeside(&st)) {
        OpenInPlace(errno);
    }
    return true;
}

bool SaveTarget::OpenStream(const struct stat& node, const std::function<bool()>& stopped) {
    kind_ = Kind::Stream;
    syncStream_ = S_ISBLK(node.st_mode);
    MaskBrokenPipe();
    if (S_ISSOCK(node.st_mode)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (path_.size() >= sizeof address.sun_path) {
            Fail(ENAMETOOLONG);
        }
        std::memcpy(address.sun_path, path_.c_str(), path_.size() + 1);
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0 ||
            ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            Fail();
        }
        return true;
    }
    // Without blocking, so that a FIFO with no reader yet can still be stopped.
    while ((fd_ = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)) < 0) {
        if (errno != ENXIO || !S_ISFIFO(node.st_mode)) {
            Fail();
        }
        if (stopped && stopped()) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags < 0 || ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        Fail();
    }
    return true;
}

// False, with errno set, where the folder takes no new file and an old file may be written
// in place instead.
bool SaveTarget::CreateBeside(const struct stat* old, mode_t newMode) {
    const std::string folder = FolderOf(path_);
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        std::string temp = (folder == "/" ? "" : folder) + "/.zelk-" +
                           std::to_string(random() % 100'000'000) + ".tmp";
        // An old file's content may be private: no wider than it until its mode is copied.
        fd_ = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, old ? 0600 : newMode);
        if (fd_ >= 0) {
            temp_ = std::move(temp);
        } else if (errno != EEXIST) {
            if (old != nullptr && (errno == EACCES || errno == EPERM || errno == EROFS)) {
                return false;
            }
            Fail();
        }
    }
    if (fd_ < 0) {
        Fail();
    }
    if (old != nullptr) {
        // Owner first: a change of owner clears the set-id bits. Where either is refused the
        // file stays the process's own, at most 0600.
        [[maybe_unused]] const int owned = ::fchown(fd_, old->st_uid, old->st_gid);
        [[maybe_unused]] const int moded = ::fchmod(fd_, old->st_mode & 07777);
    }
    kind_ = Kind::Replace;
    return true;
}

void SaveTarget::OpenInPlace(int besideError) {
    inPlace_ = ::open(path_.c_str(), O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    struct stat st {};
    if (inPlace_ < 0 || ::fstat(inPlace_, &st) != 0 || !S_ISREG(st.st_mode)) {
        Fail(besideError);
    }
    // Staged apart, so that a stop or a failure while writing leaves the file as it was.
    fd_ = ::memfd_create("zelk-save", MFD_CLOEXEC);
    if (fd_ < 0) {
        Fail();
    }
    kind_ = Kind::InPlace;
}

void SaveTarget::Commit() {
    if (kind_ == Kind::Stream) {
        if (syncStream_ && ::fsync(fd_) != 0) {
            Fail();
        }
        if (ownsFd_ && ::close(std::exchange(fd_, -1)) != 0) {
            Fail();
        }
        return;
    }
    if (kind_ == Kind::InPlace) {
        CopyInPlace();
        return;
    }
    if (::fsync(fd_) != 0 || ::close(std::exchange(fd_, -1)) != 0 ||
        ::rename(temp_.c_str(), path_.c_str()) != 0) {
        Fail();
    }
    temp_.clear();
    SyncFolder();
}

void SaveTarget::CopyInPlace() {
    struct stat staged {};
    if (::fstat(fd_, &staged) != 0) {
        Fail();
    }
    // Claims the space first, so that a full disk refuses before any old byte is overwritten.
    if (staged.st_size > 0 && ::fallocate(inPlace_, FALLOC_FL_KEEP_SIZE, 0, staged.st_size) != 0 &&
        errno != EOPNOTSUPP) {
        Fail();
    }
    std::vector<char> chunk(1 << 20);
    for (off_t at = 0; at < staged.st_size;) {
        const ssize_t n = ::pread(fd_, chunk.data(), chunk.size(), at);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) {
                continue;
            }
            Fail(n < 0 ? errno : EIO);
        }
        WriteAllAt(inPlace_, chunk.data(), static_cast<std::size_t>(n), at);
        at += n;
    }
    if (::ftruncate(inPlace_, staged.st_size) != 0 || ::fsync(inPlace_) != 0 ||
        ::close(std::exchange(inPlace_, -1)) != 0) {
        Fail();
    }
}

void SaveTarget::SyncFolder() const {
    const std::string folder = FolderOf(path_);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        Fail();
    }
    const int synced = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    // Some file systems cannot sync a folder; the rename is then as durable as they make it.
    if (synced != 0 && error != EINVAL) {
        Fail(error);
    }
    if (synced == 0 && FolderSynced != nullptr) {
        FolderSynced(folder);
    }
}

void SaveTarget::MaskBrokenPipe() {
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    sigset_t pending;
    pipePending_ = sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
    pipeMasked_ = pthread_sigmask(SIG_BLOCK, &pipe, &oldMask_) == 0;
}

}  // namespace zelk
