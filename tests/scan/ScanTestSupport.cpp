#include "ScanTestSupport.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "platform/VolumeTable.h"

namespace zelk::test {
namespace {

void Check(bool ok, const std::string& what) {
    if (!ok) {
        throw std::runtime_error(what + ": " + std::to_string(errno));
    }
}

std::int64_t LocalSeconds(const std::string& when) {
    return static_cast<std::int64_t>(NumbersOf("date -d '" + when + "' +%s").at(0));
}

}  // namespace

TempTree::TempTree() {
    base_ = (std::filesystem::temp_directory_path() / "zelk-scan-XXXXXX").string();
    Check(mkdtemp(base_.data()) != nullptr, "mkdtemp");
    root_ = base_ + "/vol";
    MakeDir("");
    SetOtherMounts({});
}

TempTree::~TempTree() {
    InstallVolumeTable(nullptr);
    // rm works relative to open directories: removing by path costs the square of the depth,
    // and trees here go 10,000 deep.
    const int removed = std::system(("rm -rf --one-file-system '" + base_ + "'").c_str());
    static_cast<void>(removed);
}

void TempTree::SetOtherMounts(const std::vector<std::string>& paths) const {
    Volume volume;
    volume.Letter = 'c';
    volume.MountPoint = root_;
    InstallVolumeTable(std::make_shared<VolumeTable>(std::vector<Volume>{volume}, paths));
}

void TempTree::MakeDir(const std::string& relative) const {
    Check(mkdir(PathOf(relative).c_str(), 0755) == 0, "mkdir " + relative);
}

void TempTree::WriteFile(const std::string& relative, std::size_t size) const {
    std::ofstream out(PathOf(relative), std::ios::binary);
    out << std::string(size, 'x');
    out.close();
    Check(!out.fail(), "write " + relative);
}

void TempTree::Make(const std::vector<std::string>& paths) const {
    for (const std::string& path : paths) {
        const std::size_t at = std::min(path.rfind('='), path.size());
        path.ends_with('/')
            ? MakeDir(path.substr(0, path.size() - 1))
            : WriteFile(path.substr(0, at), at < path.size() ? std::stoul(path.substr(at + 1)) : 0);
    }
}

void TempTree::WriteSparse(const std::string& relative, std::uint64_t size,
                           std::size_t written) const {
    WriteFile(relative, written);
    Check(truncate(PathOf(relative).c_str(), static_cast<off_t>(size)) == 0, "truncate");
}

void TempTree::SetTime(const std::string& relative, const std::string& when) const {
    const std::int64_t seconds = LocalSeconds(when);
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    const std::string path = relative.empty() ? root_ : PathOf(relative);
    Check(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0, "utimensat");
}

double LocalDate(const std::string& when) {
    FindData entry;
    entry.LastWriteTime = LocalSeconds(when);
    return TSearchThread::FileDateOf(entry);
}

std::unique_ptr<TFileAttr> Scan(const ScanOptions& options) {
    TThread::RecordUiThread();
    auto root = std::make_unique<TFileAttr>();
    TSearchThread thread(true, root.get());
    thread.Drive = options.Drive;
    thread.StatusBar = options.StatusBar;
    if (options.Files != nullptr) {
        thread.SetDirectoryService(*options.Files);
    }
    options.BeforeStart(thread);
    const char* saved = getenv("ZELK_READ_AHEAD");
    const std::string setting = saved != nullptr ? saved : "";
    if (const int threads = options.ReadAheadThreads; threads != ScanOptions::kReadAheadAsSet) {
        setenv("ZELK_READ_AHEAD",
               threads == ScanOptions::kAutomatic ? "" : std::to_string(threads).c_str(), 1);
    }
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    const rlimit lowered{options.FileLimit > 0 ? rlim_t(options.FileLimit) : limit.rlim_cur,
                         limit.rlim_max};
    setrlimit(RLIMIT_NOFILE, &lowered);
    thread.Start();
    thread.AwaitEnd();
    setrlimit(RLIMIT_NOFILE, &limit);
    setenv("ZELK_READ_AHEAD", setting.c_str(), 1);
    return root;
}

std::vector<double> NumbersOf(const std::string& command) {
    std::vector<double> numbers;
    FILE* pipe = popen(command.c_str(), "r");
    for (double number = 0; pipe != nullptr && std::fscanf(pipe, "%lf", &number) == 1;) {
        numbers.push_back(number);
    }
    if (pipe == nullptr || pclose(pipe) != 0) {
        numbers.clear();
    }
    return numbers;
}

long OpenDescriptors() {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
}

FindSums SumWithFind(const std::string& path) {
    const auto sums = NumbersOf("find '" + path + R"(' ! -type d -printf '%s %b %y %i\n' | awk '
        seen[$4]++ {next}
        {h = $3 == "f" && $2 * 512 < $1; s += $1; c += h ? $2 * 512 : $1; k += h}
        END {printf "%.0f %.0f %d\n", s, c, k}')");
    return sums.size() != 3 ? FindSums{} : FindSums{sums[0], sums[1], static_cast<int>(sums[2])};
}

std::string Brief(const TFileAttr& record) {
    std::vector<const TFileAttr*> children;
    for (const auto& child : record.Children) {
        children.push_back(child.get());
    }
    std::ranges::sort(children, {}, [](const TFileAttr* child) { return child->Name.View(); });
    std::string out = record.Name.Str() + " " +
                      std::to_string(static_cast<long long>(record.Size)) + "/" +
                      std::to_string(static_cast<long long>(record.CompressedSize));
    out += record.MaxLevel > record.Level ? " L" + std::to_string(record.MaxLevel) : "";
    out += std::string(record.Unreadable ? " u" : "") + (record.Searched ? "" : " ?") +
           (record.LastWrite == 0 ? " undated" : "");
    for (std::size_t i = 0; i < children.size(); ++i) {
        out += (i == 0 ? " {" : ", ") + Brief(*children[i]);
    }
    return out + (children.empty() ? "" : "}");
}

std::string Outline(const TFileAttr& record) {
    std::ostringstream out;
    out << std::setprecision(17) << record.Path() << ' ' << record.Size << ' '
        << record.CompressedSize << ' ' << record.LastWrite << ' ' << record.Level << ' '
        << record.MaxLevel << record.Searched << record.Unreadable << record.OtherVolume << '\n';
    for (const auto& child : record.Children) {
        out << Outline(*child);
    }
    return out.str();
}

std::string OutlineAndSteps(ScriptedService& files, int threads, const std::string& stopAt) {
    RecordingStatusLine status;
    ScanOptions options{.StatusBar = &status, .Files = &files, .ReadAheadThreads = threads};
    options.BeforeStart = [&files, stopAt](TSearchThread& thread) {
        files.AfterEntry = [&thread, stopAt](const std::string&, const std::string& name) {
            if (name == stopAt) {
                thread.RequestStop();
            }
        };
    };
    std::string out = Outline(*Scan(options));
    files.AfterEntry = nullptr;
    for (const std::string& text : status.Texts) {
        out += text + '\n';
    }
    return out;
}

const TFileAttr* Find(const TFileAttr& root, const std::string& names) {
    const TFileAttr* record = &root;
    std::istringstream parts(names);
    for (std::string name; record != nullptr && std::getline(parts, name, '/');) {
        const auto at = std::ranges::find_if(
            record->Children, [&name](const auto& child) { return child->Name == name; });
        record = at == record->Children.end() ? nullptr : at->get();
    }
    return record;
}

}  // namespace zelk::test
