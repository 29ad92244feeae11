#include "app/FolderScan.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>

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
    if (!root) {
        return false;
    }
    if (!form_.Scanning()) {
        form_.Controls().DriveComboBox1->SetFolder(*root);
        form_.btnStartClick();
    }
    return true;
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
