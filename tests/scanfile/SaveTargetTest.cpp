// Guards what a save does to what is at its path: devices, FIFOs, sockets and standard output
// are streamed and stay what they were, a reader leaving is an error, not a killed process;
// links lead to their target, which keeps its mode and owner; a folder the writer may not write
// gets its file rewritten in place; a full disk or a stop leaves the old file byte for byte and
// no temp file; the folder is fsynced after the rename.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "ScanFileTestSupport.h"
#include "scanfile/EScanFileError.h"
#include "scanfile/SaveTarget.h"
#include "scanfile/ScanFileWriter.h"

namespace zelk::test {
namespace {

constexpr uid_t kNobody = 65534;
using Control = ScanFileWriter::SaveControl;

// "ok", "stopped" or the error's message.
std::string Saved(const std::string& path, const TFileAttr& tree, const Control& control = {}) {
    try {
        return ScanFileWriter::Save(path, tree, "/r", 1, control) ? "ok" : "stopped";
    } catch (const EScanFileError& error) {
        return error.Message();
    }
}

std::string Refused(const std::string& path, const char* reason) {
    return "ファイル「" + path + "」に保存できません: " + reason;
}

std::string Bytes(const TFileAttr& tree) {
    const TempDir dir;
    EXPECT_EQ(Saved(dir.Path() + "/ref.json", tree), "ok");
    return ReadBytes(dir.Path() + "/ref.json");
}

bool NoTemp(const std::string& dir) {
    return Shell("find " + dir + " -name '.zelk-*' | grep -q .") != 0;
}

// Up to most bytes, until the writer ends; gives up after ten quiet seconds instead of hanging.
std::string ReadToEnd(int fd, std::size_t most = SIZE_MAX) {
    std::string out;
    char chunk[65536];
    pollfd wait{fd, POLLIN, 0};
    for (ssize_t n = 1; n > 0 && out.size() < most && ::poll(&wait, 1, 10'000) == 1;) {
        n = ::read(fd, chunk, std::min(sizeof chunk, most - out.size()));
        out.append(chunk, n > 0 ? static_cast<std::size_t>(n) : 0);
    }
    ::close(fd);
    return out;
}

// Runs body in a child process as the nobody user; its answer.
std::string AsNobody(const std::function<std::string()>& body) {
    int pipe[2];
    EXPECT_EQ(::pipe(pipe), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        const bool dropped = ::setgroups(0, nullptr) == 0 &&
                             ::setresgid(kNobody, kNobody, kNobody) == 0 &&
                             ::setresuid(kNobody, kNobody, kNobody) == 0;
        const std::string answer = dropped ? body() : "setresuid failed";
        _exit(::write(pipe[1], answer.data(), answer.size()) < 0);
    }
    ::close(pipe[1]);
    std::string answer = ReadToEnd(pipe[0]);
    ::waitpid(child, nullptr, 0);
    return answer;
}

ino_t Inode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

int Listen(const std::string& path) {
    sockaddr_un address{AF_UNIX, {}};
    std::strcpy(address.sun_path, path.c_str());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(::listen(fd, 1), 0);
    return fd;
}

TEST(SaveTarget, WhatIsNoFileIsStreamedOrRefusedAndStaysWhatItWas) {
    const TempDir dir;
    // More than a pipe holds, so that a reader leaving early is noticed.
    const auto tree = WideTree(20'000);
    const std::string bytes = Bytes(*tree);
    const struct {
        const char* name;
        const char* make;
        std::size_t reads;  // bytes the reader takes
        const char* reason;
    } rows[] = {
        {"null", "mknod null c 1 3", 0, nullptr},
        {"full", "mknod full c 1 7", 0, "No space left on device"},
        {"fifo", "mkfifo fifo", SIZE_MAX, nullptr},
        {"left", "mkfifo left", 1, "Broken pipe"},
        {"socket", "", SIZE_MAX, nullptr},
        {"folder", "mkdir folder", 0, "Is a directory"},
        {"loop", "ln -s loop loop", 0, "Too many levels of symbolic links"},
    };
    for (const auto& row : rows) {
        const std::string path = dir.Path() + "/" + row.name;
        if (Shell("cd " + dir.Path() + " && " + (*row.make ? row.make : "true")) != 0) {
            std::printf("skipped %s: cannot make it (device nodes need root)\n", row.name);
            continue;
        }
        const int listener = *row.make ? -1 : Listen(path);
        struct stat before {};
        ::lstat(path.c_str(), &before);
        auto read = std::async(std::launch::async, [&] {
            pollfd wait{listener, POLLIN, 0};
            return ReadToEnd(row.reads == 0 ? -1
                             : listener < 0 ? ::open(path.c_str(), O_RDONLY | O_NONBLOCK)
                             : ::poll(&wait, 1, 10'000) == 1 ? ::accept(listener, nullptr, nullptr)
                                                             : -1,
                             row.reads);
        });
        EXPECT_EQ(Saved(path, *tree), row.reason ? Refused(path, row.reason) : "ok") << row.name;
        EXPECT_EQ(read.get(), bytes.substr(0, row.reads)) << row.name;
        struct stat after {};
        ::lstat(path.c_str(), &after);
        EXPECT_EQ(after.st_mode, before.st_mode) << row.name;
        EXPECT_EQ(after.st_rdev, before.st_rdev) << row.name;
        ::close(listener);
    }
    EXPECT_TRUE(NoTemp(dir.Path()));
}

// Standard output is left open.
TEST(SaveTarget, StandardOutputIsStreamedEvenWhenLeftNonBlocking) {
    const auto big = WideTree(20'000);
    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_NONBLOCK), 0);
    const int saved = ::dup(STDOUT_FILENO);
    ::dup2(pipe[1], STDOUT_FILENO);
    ::close(pipe[1]);
    auto read = std::async(std::launch::async, [&] { return ReadToEnd(pipe[0]); });
    EXPECT_EQ(Saved("-", *big), "ok");
    EXPECT_GE(::fcntl(STDOUT_FILENO, F_GETFD), 0);
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    EXPECT_EQ(read.get(), Bytes(*big));
}

std::vector<std::string> synced;

TEST(SaveTarget, ReplacedFilesKeepTheirLinksModeAndOwnerAndTheFolderIsSynced) {
    const TempDir dir;
    const auto tree = WideTree(5000);
    const std::string bytes = Bytes(*tree);
    const mode_t umask = ::umask(022);
    SaveTarget::FolderSynced = [](const std::string& folder) { synced.push_back(folder); };
    const struct {
        const char* make;
        const char* save;
        const char* file;
        mode_t mode;
        std::vector<const char*> links;
    } rows[] = {
        // clang-format off
        {"true", "new", "new", 0644, {}},
        {"mkdir a; echo old > a/real; chmod 640 a/real; ln -s a/real hop; ln -s hop link", "link",
         "a/real", 0640, {"link", "hop"}},
        {"mkdir b; ln -s \"$PWD/b/made\" dangling", "dangling", "b/made", 0644, {"dangling"}},
        {"echo old > private; chmod 600 private; chown 65534:65534 private", "private", "private",
         0600, {}},
        // clang-format on
    };
    for (const auto& row : rows) {
        if (Shell("set -e; cd " + dir.Path() + "; " + row.make) != 0) {
            std::printf("skipped %s: keeping another owner needs root\n", row.save);
            continue;
        }
        synced.clear();
        const std::string file = dir.Path() + "/" + row.file;
        // While written, the temp file shows no more than the old file did.
        char bits[8];
        std::snprintf(bits, sizeof bits, "%o", ~row.mode & 0777u);
        const std::string wider =
            "find " + dir.Path() + " -name '.zelk-*' -perm /" + bits + " | grep -q .";
        bool exposed = false;
        const Control control{nullptr, [&](std::uint64_t) { exposed |= Shell(wider) == 0; }};
        EXPECT_EQ(Saved(dir.Path() + "/" + row.save, *tree, control), "ok");
        EXPECT_FALSE(exposed) << row.save;
        EXPECT_EQ(ReadBytes(file), bytes) << row.save;
        struct stat st {};
        ::stat(file.c_str(), &st);
        const bool theirs = row.links.empty() && row.mode == 0600;
        EXPECT_EQ(st.st_mode & 07777, row.mode) << row.save;
        EXPECT_EQ(st.st_uid, theirs ? kNobody : ::geteuid()) << row.save;
        EXPECT_EQ(st.st_gid, theirs ? kNobody : ::getegid()) << row.save;
        for (const char* link : row.links) {
            EXPECT_EQ(::lstat((dir.Path() + "/" + link).c_str(), &st), 0);
            EXPECT_TRUE(S_ISLNK(st.st_mode)) << link;
        }
        EXPECT_EQ(synced, std::vector<std::string>{file.substr(0, file.rfind('/'))}) << row.save;
    }
    SaveTarget::FolderSynced = nullptr;
    ::umask(umask);
    EXPECT_TRUE(NoTemp(dir.Path()));
}

// A folder only root may write (locked) and a small tmpfs (small), both 0755 under a 0755 folder.
TEST(SaveTarget, OldFilesOutliveFullDisksAndStopsAndLockedFoldersAreWrittenInPlace) {
    const TempDir dir;
    const bool root = ::geteuid() == 0;
    const bool mounted =
        root && Shell("cd " + dir.Path() + " && chmod 755 . && " + "mkdir -m 755 locked small && " +
                      "mount -t tmpfs -o size=64k,mode=755 tmpfs small") == 0;
    const auto tree = WideTree(20'000);
    const std::string bytes = Bytes(*tree);
    const std::string old(20'000, 'o');
    const struct {
        const char* file;
        bool existing;
        bool nobody;
        bool stop;
        const char* reason;
    } rows[] = {
        {"small/replaced", true, false, false, "No space left on device"},
        {"small/in-place", true, true, false, "No space left on device"},
        {"stopped", true, false, true, nullptr},
        {"stopped-new", false, false, true, nullptr},
        {"locked/stopped", true, true, true, nullptr},
        {"locked/new", false, true, false, "Permission denied"},
        {"locked/written", true, true, false, nullptr},
    };
    for (const auto& row : rows) {
        const std::string file = dir.Path() + "/" + row.file;
        if (!mounted && (row.nobody || std::strchr(row.file, '/') != nullptr)) {
            std::printf("skipped %s: needs root (another user, a mount)\n", row.file);
            continue;
        }
        if (row.existing) {
            dir.Write(row.file, old);
            EXPECT_EQ(::chown(file.c_str(), row.nobody ? kNobody : ::geteuid(), -1), 0);
        }
        const ino_t inode = Inode(file);
        std::vector<std::uint64_t> progress;
        const Control control{
            row.stop ? std::function([asked = 0]() mutable { return ++asked == 2; }) : nullptr,
            [&](std::uint64_t written) { progress.push_back(written); }};
        const auto save = [&] { return Saved(file, *tree, control); };
        EXPECT_EQ(row.nobody ? AsNobody(save) : save(), row.reason ? Refused(file, row.reason)
                                                        : row.stop ? "stopped"
                                                                   : "ok")
            << row.file;
        EXPECT_EQ(ReadBytes(file), !row.reason && !row.stop ? bytes
                                   : row.existing           ? old
                                                            : "")
            << row.file;
        EXPECT_EQ(Inode(file), inode) << row.file;
        if (row.stop && !row.nobody) {
            EXPECT_EQ(progress, (std::vector<std::uint64_t>{4096, 8192})) << row.file;
        }
    }
    EXPECT_TRUE(NoTemp(dir.Path()));
    if (mounted) {
        ::umount((dir.Path() + "/small").c_str());
    }
}

}  // namespace
}  // namespace zelk::test
