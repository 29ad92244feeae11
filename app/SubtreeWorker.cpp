#include "app/SubtreeWorker.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/PosixDirectoryService.h"
#include "scan/RealPath.h"
#include "scan/SubtreeService.h"

namespace zelk {
namespace {

std::vector<std::string> Split(std::string_view path) {
    std::vector<std::string> names;
    while (!path.empty()) {
        const std::size_t end = std::min(path.find('/'), path.size());
        if (end > 0) {
            names.emplace_back(path.substr(0, end));
        }
        path.remove_prefix(std::min(end + 1, path.size()));
    }
    return names;
}

TFileAttr* ChildNamed(const TFileAttr& record, std::string_view name) {
    for (const auto& child : record.Children) {
        if (child->Name == name) {
            return child.get();
        }
    }
    return nullptr;
}

}  // namespace

SubtreeWorker::SubtreeWorker(Kind kind, const TFileAttr& root, TFileAttr& target,
                             std::string mountPoint)
    : TSearchThread(true, nullptr),
      Action(kind),
      Target(target),
      root_(root),
      mountPoint_(std::move(mountPoint)) {}

SubtreeWorker::~SubtreeWorker() {
    StopAndAwaitForRelease();
}

std::vector<std::string> SubtreeWorker::NamesOf(const TFileAttr& root, const TFileAttr& record) {
    std::vector<std::string> names;
    for (const TFileAttr* up = &record; up != &root && up != nullptr; up = up->Parent) {
        names.push_back(up->Name.Str());
    }
    std::reverse(names.begin(), names.end());
    return names;
}

void SubtreeWorker::Run() {
    switch (Action) {
        case Kind::Rescan:
            Fresh = WalkAgain(Target.Parent, Target.Name, NamesOf(root_, Target), nullptr);
            break;
        case Kind::Delete:
            Delete();
            break;
        case Kind::Trash:
            Trash();
            break;
    }
    if (!Stopped) {
        DateAncestors(Target.Parent);
        DateAncestors(GraftParent);
    }
}

std::unique_ptr<TFileAttr> SubtreeWorker::WalkAgain(
    TFileAttr* parent, const FileName& name, std::vector<std::string> names,
    const std::pair<std::uint64_t, std::uint64_t>* keepOut) {
    const int fd = TreeRemover::OpenBeneath(mountPoint_, names);
    if (fd < 0) {
        // Gone since: a fresh scan would not list it either.
        Removed = Removed || errno == ENOENT;
        if (errno != ENOENT && Error.empty()) {
            Error = std::strerror(errno);
        }
        return nullptr;
    }
    close(fd);
    auto fresh = std::make_unique<TFileAttr>();
    fresh->Parent = parent;
    fresh->Name = name;
    fresh->Level = parent->Level + 1;
    SubtreeService service(mountPoint_, std::move(names));
    if (keepOut != nullptr) {
        service.KeepOut(keepOut->first, keepOut->second);
    }
    SetDirectoryService(service);
    Search(*fresh);
    SetDirectoryService(SystemDirectoryService());
    if (StopRequested() || !fresh->Searched) {
        Stopped = true;
        return nullptr;
    }
    return fresh;
}

void SubtreeWorker::Delete() {
    std::vector<std::string> names = NamesOf(root_, Target);
    const std::string name = names.back();
    names.pop_back();
    const int parentFd = TreeRemover::OpenBeneath(mountPoint_, names);
    if (parentFd < 0) {
        Error = std::strerror(errno);
        return;
    }
    // Asked to stop only when the shown tree goes: nothing is left to show then.
    const TreeRemover::Result result =
        TreeRemover::Remove(parentFd, name, [this] { return StopRequested(); });
    close(parentFd);
    if (result.Complete) {
        Removed = true;
        return;
    }
    if (StopRequested()) {
        Stopped = true;
        return;
    }
    Error = std::strerror(result.Error);
    // What is left is shown as it is now; a stop would leave the tree showing deleted records.
    Fresh = WalkAgain(Target.Parent, Target.Name, NamesOf(root_, Target), nullptr);
}

void SubtreeWorker::Trash() {
    const std::string path = RealPathOf(mountPoint_, root_, Target);
    const int fd = TreeRemover::OpenBeneath(mountPoint_, NamesOf(root_, Target));
    struct stat self {};
    if (fd < 0 || fstat(fd, &self) != 0) {
        Error = std::strerror(errno);
        if (fd >= 0) {
            close(fd);
        }
        return;
    }
    close(fd);
    // A name that is not text in the file system's encoding does not survive a QString.
    const QString name =
        QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
    if (QFile::encodeName(name).toStdString() != path) {
        Error = std::strerror(EILSEQ);
        return;
    }
    QFile file(name);
    if (!file.moveToTrash()) {
        Error = file.errorString().toStdString();
        return;
    }
    Removed = true;
    const std::string trashed = QFile::encodeName(file.fileName()).toStdString();
    std::string prefix = mountPoint_;
    if (!prefix.ends_with('/')) {
        prefix.push_back('/');
    }
    if (!trashed.starts_with(prefix)) {
        return;  // a trash outside the scanned tree
    }
    // The trash's own folder holds files/ and info/: walked where the tree lacks it, the moved
    // directory kept out, since its records are known.
    const std::vector<std::string> names = Split(std::string_view(trashed).substr(prefix.size()));
    if (names.size() < 3) {
        return;
    }
    const std::size_t top = names.size() - 2;
    TFileAttr* known = const_cast<TFileAttr*>(&root_);
    std::size_t depth = 0;
    while (depth < top) {
        TFileAttr* child = ChildNamed(*known, names[depth]);
        if (child == nullptr) {
            break;
        }
        if (child->OtherVolume) {
            return;  // another volume mounted inside the tree
        }
        known = child;
        ++depth;
    }
    const std::size_t walked = std::min(depth + 1, top);
    GraftReplaced = walked <= depth ? known : nullptr;
    GraftParent = GraftReplaced != nullptr ? known->Parent : known;
    const std::pair<std::uint64_t, std::uint64_t> moved{self.st_dev, self.st_ino};
    Graft = WalkAgain(GraftParent, names[walked - 1],
                      std::vector<std::string>(names.begin(), names.begin() + walked), &moved);
    if (Graft == nullptr) {
        GraftParent = GraftReplaced = nullptr;
        return;
    }
    Moved = Graft.get();
    for (std::size_t i = walked; i < names.size() && Moved != nullptr; ++i) {
        Moved = ChildNamed(*Moved, names[i]);
    }
    if (Moved == nullptr || !Moved->OtherVolume) {
        Moved = nullptr;
        return;
    }
    // The moved records count where they now are.
    const std::int32_t deepest = Target.MaxLevel - Target.Level + Moved->Level;
    for (TFileAttr* up = Moved->Parent; up != GraftParent; up = up->Parent) {
        up->Size += Target.Size;
        up->CompressedSize += Target.CompressedSize;
        up->MaxLevel = std::max(up->MaxLevel, deepest);
        up->LastWrite = std::max(up->LastWrite, Target.LastWrite);
    }
}

void SubtreeWorker::DateAncestors(TFileAttr* from) {
    for (TFileAttr* up = from; up != nullptr; up = up->Parent) {
        if (!OwnDates.contains(up)) {
            OwnDates.emplace(up, OwnDateOf(*up));
        }
    }
}

double SubtreeWorker::OwnDateOf(const TFileAttr& record) {
    const int fd = TreeRemover::OpenBeneath(mountPoint_, NamesOf(root_, record));
    if (fd < 0) {
        return -1;
    }
    close(fd);
    PosixDirectoryService files(false);
    const auto listing = files.OpenPath(RealPathOf(mountPoint_, root_, record), false);
    if (listing == nullptr) {
        return -1;
    }
    double newest = 0;
    FindData entry;
    while (listing->Next(entry)) {
        if (entry.LookedUp) {
            newest = std::max(newest, FileDateOf(entry));
        }
    }
    return newest;
}

void SubtreeWorker::SettleAncestors() const {
    std::vector<std::pair<TFileAttr*, double>> changed(OwnDates.begin(), OwnDates.end());
    std::sort(changed.begin(), changed.end(),
              [](const auto& a, const auto& b) { return a.first->Level > b.first->Level; });
    // Deepest first, so each takes its children's settled dates and depths.
    for (auto& [record, own] : changed) {
        double newest = own >= 0 ? own : record->LastWrite;
        std::int32_t deepest = record->Level;
        for (const auto& child : record->Children) {
            newest = std::max(newest, child->LastWrite);
            deepest = std::max(deepest, child->MaxLevel);
        }
        record->LastWrite = newest;
        record->MaxLevel = deepest;
    }
}

}  // namespace zelk
