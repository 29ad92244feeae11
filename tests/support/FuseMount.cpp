#include "support/FuseMount.h"

#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

extern char** environ;

namespace zelk::test {

FuseMount::FuseMount(const std::string& program, const std::vector<std::string>& arguments,
                     std::string mountPoint)
    : mountPoint_(std::move(mountPoint)) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
        pid_ = -1;
        return;
    }
    // Five seconds at most; a program that ends has failed to mount.
    for (int i = 0; i < 500 && !mounted_; ++i) {
        mounted_ = Listed();
        if (!mounted_ && waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

FuseMount::~FuseMount() {
    if (pid_ > 0) {
        // Killed first: a file system that hangs its callers would hang an orderly unmount.
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (mounted_) {
        umount2(mountPoint_.c_str(), MNT_DETACH);
    }
}

bool FuseMount::Usable(const std::string& program) {
    return !program.empty() && access(program.c_str(), X_OK) == 0 &&
           access("/dev/fuse", R_OK | W_OK) == 0;
}

bool FuseMount::Listed() const {
    std::ifstream table("/proc/self/mountinfo");
    const std::string lines{std::istreambuf_iterator<char>(table), {}};
    return lines.find(" " + mountPoint_ + " ") != std::string::npos;
}

}  // namespace zelk::test
