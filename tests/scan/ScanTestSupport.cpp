#include "ScanTestSupport.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
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
    std::string pattern = (std::filesystem::temp_directory_path() / "zelk-scan-XXXXXX").string();
    Check(mkdtemp(pattern.data()) != nullptr, "mkdtemp");
    base_ = pattern;
    root_ = base_ + "/vol";
    MakeDir("");
    Volume volume;
    volume.Letter = 'c';
    volume.MountPoint = root_;
    InstallVolumeTable(std::make_shared<VolumeTable>(std::vector<Volume>{volume}));
}

TempTree::~TempTree() {
    InstallVolumeTable(nullptr);
    // Removing a tree keeps a descriptor open per level, and trees here go 10,000 deep.
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    std::error_code ignored;
    std::filesystem::remove_all(base_, ignored);
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
    TSearchThread thread(true, root.get());
    thread.Drive = options.Drive;
    thread.StatusBar = options.StatusBar;
    if (options.Files != nullptr) {
        thread.SetDirectoryService(*options.Files);
    }
    thread.SetOnFinished([&finished](TThread&) { finished = true; });
    thread.Start();
    loop.RunUntil([&] {
        if (options.EachTurn && !finished) {
            options.EachTurn(thread);
        }
        return finished;
    });
    thread.AwaitEnd();
    return root;
}

FindSums SumWithFind(const std::string& path) {
    FindSums sums;
    const std::string command = "find '" + path + "' ! -type d -printf '%s %b %y\\n'";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return sums;
    }
    unsigned long long bytes = 0;
    unsigned long long blocks = 0;
    char type = 0;
    sums.entries = 0;
    while (std::fscanf(pipe, "%llu %llu %c", &bytes, &blocks, &type) == 3) {
        ++sums.entries;
        sums.size += static_cast<double>(bytes);
        const bool holes = type == 'f' && blocks * 512 < bytes;
        sums.sparse += holes ? 1 : 0;
        sums.compressed += static_cast<double>(holes ? blocks * 512 : bytes);
    }
    if (pclose(pipe) != 0) {
        sums.entries = -1;
    }
    return sums;
}

std::pair<double, double> DuOfFiles(const std::string& path) {
    const std::string command = "du -sxb '" + path + "' | cut -f1; du -sx --block-size=1 '" + path +
                                "' | cut -f1; find '" + path +
                                "' -type d -printf '%s %b\\n' | awk '{s+=$1; b+=$2*512} END "
                                "{printf \"%.0f %.0f\\n\", s, b}'";
    FILE* pipe = popen(command.c_str(), "r");
    double apparent = -1;
    double allocated = -1;
    double directories = -1;
    double directoryBlocks = -1;
    if (pipe == nullptr) {
        return {-1, -1};
    }
    const int read =
        std::fscanf(pipe, "%lf %lf %lf %lf", &apparent, &allocated, &directories, &directoryBlocks);
    if (pclose(pipe) != 0 || read != 4) {
        return {-1, -1};
    }
    return {apparent - directories, allocated - directoryBlocks};
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
