#include "scanfile/ScanExport.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>

#include "platform/FolderVolume.h"
#include "platform/SystemVolumeSource.h"
#include "platform/VolumeTable.h"
#include "platform/VolumeTableReader.h"
#include "runtime/Exception.h"
#include "scan/TSearchThread.h"
#include "scanfile/ScanFileWriter.h"

namespace zelk {
namespace {

std::string RootToScan(const std::string& directory, SystemVolumeSource& source,
                       const VolumeTable& table) {
    if (directory.empty()) {
        const Volume* volume = table.VolumeOf(source.CurrentDirectory());
        if (volume == nullptr || volume->Letter == 0) {
            throw Exception("現在のディレクトリはドライブの上にありません");
        }
        return volume->MountPoint;
    }
    const std::optional<std::string> resolved = FolderVolume::Resolve(directory);
    if (!resolved) {
        if (errno == ENOTDIR) {
            throw Exception("「" + directory + "」はディレクトリではありません");
        }
        throw Exception("ディレクトリ「" + directory + "」を開けません: " + std::strerror(errno));
    }
    return *resolved;
}

}  // namespace

ScanFile ScanDirectory(const std::string& directory, StatusLine* progress) {
    SystemVolumeSource source;
    const VolumeTable table = ReadVolumeTable(source);
    const std::string root = RootToScan(directory, source, table);
    // The walk starts at a drive letter: the directory to export gets the folder volume's.
    InstallVolumeTable(std::make_shared<VolumeTable>(FolderVolume::With(table, root)));

    TThread::RecordUiThread();
    auto record = std::make_unique<TFileAttr>();
    {
        TSearchThread walk(true, record.get());
        walk.Drive = FolderVolume::kLetter;
        walk.StatusBar = progress;
        // Outside the window, paths are the file system's own.
        walk.StatusRoot = root;
        walk.Start();
        // Serves the walk's status steps until it has ended.
        walk.AwaitEnd();
    }
    if (!record->Searched) {
        throw Exception("「" + root + "」を探索できません");
    }
    return {std::move(record), root};
}

void ExportScan(const std::string& file, const std::string& directory, StatusLine* progress) {
    const ScanFile scan = ScanDirectory(directory, progress);
    ScanFileWriter::Save(file, *scan.Root, scan.RootName,
                         static_cast<std::int64_t>(std::time(nullptr)));
}

}  // namespace zelk
