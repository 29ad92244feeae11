#include "app/FolderScan.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <chrono>
#include <future>
#include <memory>
#include <optional>
#include <thread>

#include "app/ErrorGuard.h"
#include "app/ScanFileControl.h"
#include "app/TfrmMain.h"
#include "drives/TDriveComboBox.h"
#include "platform/FolderVolume.h"

namespace zelk {

FolderScan::FolderScan(TfrmMain& form) : QObject(&form), form_(form) {
    form_.installEventFilter(this);  // after the scan files' filter, so asked first
    form_.Controls().DriveComboBox1->OnChooseFolder = [this] { ChooseClick(); };
}

bool FolderScan::Scan(const std::string& directory) {
    const auto root = FolderVolume::Resolve(directory);
    if (root) {
        ScanRoot(*root);
    }
    return root.has_value();
}

bool FolderScan::ScanIfFolder(const std::string& path) {
    using Root = std::optional<std::string>;
    auto answer = std::make_shared<std::promise<Root>>();
    std::future<Root> root = answer->get_future();
    // Left behind when stuck in the kernel, as the scan files' own workers are.
    std::thread([answer, path] { answer->set_value(FolderVolume::Resolve(path)); }).detach();
    if (root.wait_for(std::chrono::milliseconds(500)) != std::future_status::ready) {
        return false;
    }
    const Root resolved = root.get();
    if (resolved) {
        ScanRoot(*resolved);
    }
    return resolved.has_value();
}

void FolderScan::ScanRoot(const std::string& root) {
    if (!form_.Scanning()) {
        form_.Controls().DriveComboBox1->SetFolder(root);
        form_.btnStartClick();
    }
}

void FolderScan::ChooseClick() {
    if (form_.Scanning()) {
        return;
    }
    const std::string& shown = form_.Controls().DriveComboBox1->Folder();
    const QString start = shown.empty() ? QDir::homePath() : QFile::decodeName(shown.c_str());
    const QString chosen = QFileDialog::getExistingDirectory(
        &form_, QString::fromUtf8("フォルダを選択"), start, QFileDialog::ShowDirsOnly);
    if (!chosen.isEmpty()) {
        Scan(QFile::encodeName(chosen).toStdString());
    }
}

bool FolderScan::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &form_ || event->type() != QEvent::Drop) {
        return false;
    }
    const std::string dropped = ScanFileControl::DraggedFile(static_cast<QDropEvent*>(event));
    bool taken = false;
    Guarded([&] { taken = !dropped.empty() && Scan(dropped); });
    if (taken) {
        static_cast<QDropEvent*>(event)->acceptProposedAction();
    }
    return taken;
}

}  // namespace zelk
