#include "ScanTestSupport.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <stdexcept>

#include "platform/VolumeTable.h"

namespace zelk::test {
namespace {

void Check(bool ok, const std::string& what) {
    if (!ok) {
        throw std::runtime_error(what + ": " + std::to_string(errno));
    }
}

}  // namespace

TempTree::TempTree() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/zelk-scan-XXXXXX";
    Check(mkdtemp(pattern.data()) != nullptr, "mkdtemp");
    base_ = pattern;
    root_ = base_ + "/vol";
    Check(mkdir(root_.c_str(), 0755) == 0, "mkdir vol");
}

TempTree::~TempTree() {
    InstallVolumeTable(nullptr);
    RemoveTree(base_);
}

void TempTree::MakeDir(const std::string& relative) const {
    Check(mkdir(PathOf(relative).c_str(), 0755) == 0, "mkdir " + relative);
}

void TempTree::WriteFile(const std::string& relative, std::size_t size) const {
    const int fd = open(PathOf(relative).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    Check(fd >= 0, "create " + relative);
    const std::string data(size, 'x');
    Check(write(fd, data.data(), data.size()) == static_cast<ssize_t>(data.size()), "write");
    close(fd);
}

void TempTree::WriteSparse(const std::string& relative, std::uint64_t size,
                           std::size_t written) const {
    WriteFile(relative, written);
    Check(truncate(PathOf(relative).c_str(), static_cast<off_t>(size)) == 0, "truncate");
}

void TempTree::SetTime(const std::string& relative, std::int64_t seconds) const {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    const std::string path = relative.empty() ? root_ : PathOf(relative);
    Check(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0, "utimensat");
}

void TempTree::InstallAsDriveC() const {
    Volume volume;
    volume.Letter = 'c';
    volume.MountPoint = root_;
    InstallVolumeTable(std::make_shared<VolumeTable>(std::vector<Volume>{volume}));
}

void RemoveTree(const std::string& path) {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    struct Open {
        DIR* dir;
        std::string name;  // in the directory below
    };
    const int top = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (top < 0) {
        return;
    }
    std::vector<Open> stack{{fdopendir(top), ""}};
    while (!stack.empty()) {
        DIR* dir = stack.back().dir;
        const dirent* d = readdir(dir);
        if (d == nullptr) {
            const std::string name = stack.back().name;
            closedir(dir);
            stack.pop_back();
            if (!stack.empty()) {
                unlinkat(dirfd(stack.back().dir), name.c_str(), AT_REMOVEDIR);
            }
            continue;
        }
        const std::string name = d->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        if (unlinkat(dirfd(dir), name.c_str(), 0) == 0) {
            continue;
        }
        const int fd =
            openat(dirfd(dir), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd >= 0) {
            stack.push_back({fdopendir(fd), name});
        }
    }
    rmdir(path.c_str());
}

std::int64_t LocalSeconds(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&tm));
}

TestUiLoop::TestUiLoop() {
    TThread::RecordUiThread();
    TThread::SetWakeUpHook([this] {
        {
            std::lock_guard lock(mutex_);
            ++wakeUps_;
        }
        Wake();
    });
}

TestUiLoop::~TestUiLoop() {
    TThread::SetWakeUpHook(nullptr);
}

void TestUiLoop::RunUntil(const std::function<bool()>& done) {
    while (!done()) {
        {
            std::unique_lock lock(mutex_);
            // The timeout only guards against a lost wake-up; progress never depends on it.
            woken_.wait_for(lock, std::chrono::milliseconds(50), [this] { return pending_; });
            pending_ = false;
        }
        TThread::ServePendingSteps();
    }
}

void TestUiLoop::Wake() {
    {
        std::lock_guard lock(mutex_);
        pending_ = true;
    }
    woken_.notify_one();
}

int TestUiLoop::WakeUps() const {
    std::lock_guard lock(mutex_);
    return wakeUps_;
}

void RecordingStatusLine::SetSimpleText(const std::string& text) {
    Texts.push_back(text);
    if (OnText) {
        OnText();
    }
}

std::unique_ptr<TFileAttr> Scan(TestUiLoop& loop, const ScanOptions& options) {
    auto root = std::make_unique<TFileAttr>();
    bool finished = false;
    auto thread = std::make_unique<TSearchThread>(true, root.get());
    thread->Drive = options.Drive;
    thread->StatusBar = options.StatusBar;
    if (options.Files != nullptr) {
        thread->SetDirectoryService(*options.Files);
    }
    thread->SetOnFinished([&finished](TThread&) { finished = true; });
    thread->Start();
    loop.RunUntil([&finished] { return finished; });
    thread->AwaitEnd();
    return root;
}

const TFileAttr* Find(const TFileAttr& root, const std::string& names) {
    const TFileAttr* record = &root;
    std::size_t start = 0;
    while (record != nullptr && start <= names.size()) {
        const std::size_t end = std::min(names.find('/', start), names.size());
        const std::string name = names.substr(start, end - start);
        const TFileAttr* next = nullptr;
        for (const auto& child : record->Children) {
            if (child->Name == name) {
                next = child.get();
            }
        }
        record = next;
        start = end + 1;
    }
    return record;
}

}  // namespace zelk::test
