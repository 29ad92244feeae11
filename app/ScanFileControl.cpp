#include "app/ScanFileControl.h"

#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QMimeData>
#include <QShortcut>
#include <ctime>

#include "app/ErrorGuard.h"
#include "app/GraphPage.h"
#include "app/TStatusBar.h"
#include "app/TfrmMain.h"
#include "platform/VolumeTable.h"
#include "scanfile/ScanFileWriter.h"

namespace zelk {
namespace {

const char* const kFilter =
    "ncdu エクスポート (*.json *.json.gz *.json.zst *.gz *.zst);;すべてのファイル (*)";

// The first local file of a drag, as the bytes of its name; empty when there is none.
std::string DraggedFile(const QMimeData* data) {
    const QList<QUrl> urls = data != nullptr ? data->urls() : QList<QUrl>();
    return urls.isEmpty() || !urls.front().isLocalFile()
               ? std::string()
               : QFile::encodeName(urls.front().toLocalFile()).toStdString();
}

}  // namespace

ScanFileControl::ScanFileControl(TfrmMain& form) : form_(form) {
    const auto wire = [this](QKeySequence::StandardKey key, void (ScanFileControl::*handler)()) {
        connect(new QShortcut(key, &form_), &QShortcut::activated, this,
                [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
    };
    wire(QKeySequence::Save, &ScanFileControl::SaveClick);
    wire(QKeySequence::Open, &ScanFileControl::OpenClick);
    form_.setAcceptDrops(true);
    form_.installEventFilter(this);
}

ScanFileControl::~ScanFileControl() = default;

bool ScanFileControl::CanSave() const {
    return form_.SearchThread == nullptr && form_.RootAttr != nullptr && form_.RootAttr->Searched;
}

void ScanFileControl::SaveClick() {
    if (!CanSave()) {
        return;
    }
    const QString name = QFileDialog::getSaveFileName(&form_, QString::fromUtf8("スキャンを保存"),
                                                      QString(), QString::fromUtf8(kFilter));
    if (!name.isEmpty()) {
        SaveTo(QFile::encodeName(name).toStdString());
    }
}

void ScanFileControl::OpenClick() {
    if (form_.SearchThread != nullptr || Opening()) {
        return;
    }
    const QString name = QFileDialog::getOpenFileName(&form_, QString::fromUtf8("スキャンを開く"),
                                                      QString(), QString::fromUtf8(kFilter));
    if (!name.isEmpty()) {
        Open(QFile::encodeName(name).toStdString());
    }
}

void ScanFileControl::SaveTo(const std::string& file) {
    if (CanSave()) {
        ScanFileWriter::Save(file, *form_.RootAttr, ShownRootName,
                             static_cast<std::int64_t>(std::time(nullptr)));
    }
}

void ScanFileControl::Open(const std::string& file) {
    if (form_.SearchThread != nullptr || Opening()) {
        return;
    }
    thread_ = std::make_unique<TScanFileThread>(file);
    thread_->SetOnFinished([this](TThread&) { OpenDone(); });
    thread_->Start();
}

void ScanFileControl::OpenDone() {
    // Released inside its own completion: the thread then ends on its own.
    const std::unique_ptr<TScanFileThread> done = std::move(thread_);
    Guarded([this, &done] {
        if (done->Error) {
            std::rethrow_exception(done->Error);
        }
        form_.Graph->TreeDropping();
        form_.RootAttr = std::move(done->Result.Root);
        ShownRootName = std::move(done->Result.RootName);
        form_.StatusBar1->SetSimpleText("読込完了: " + done->File);
        form_.RefreshTree();
    });
}

void ScanFileControl::ScanFinished(char drive) {
    const Volume* volume = InstalledVolumeTable()->ByLetter(drive);
    ShownRootName = volume != nullptr ? volume->MountPoint : std::string("/");
}

bool ScanFileControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &form_ ||
        (event->type() != QEvent::DragEnter && event->type() != QEvent::Drop)) {
        return false;
    }
    auto* drop = static_cast<QDropEvent*>(event);
    const std::string file = DraggedFile(drop->mimeData());
    if (!file.empty()) {
        drop->acceptProposedAction();
        if (event->type() == QEvent::Drop) {
            Guarded([this, &file] { Open(file); });
        }
    }
    return true;
}

}  // namespace zelk
