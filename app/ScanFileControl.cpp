#include "app/ScanFileControl.h"

#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QMimeData>
#include <QShortcut>
#include <array>
#include <ctime>
#include <utility>

#include "app/BackgroundReleaser.h"
#include "app/CompareControl.h"
#include "app/ErrorGuard.h"
#include "app/ListingOrder.h"
#include "app/TApplication.h"
#include "app/TStatusBar.h"
#include "app/TfrmMain.h"
#include "app/TreeListing.h"
#include "platform/VolumeTable.h"

namespace zelk {
namespace {

const char* const kFilter =
    "ncdu エクスポート (*.json *.json.gz *.json.zst *.gz *.zst);;すべてのファイル (*)";

}  // namespace

std::string ScanFileControl::DraggedFile(const QDropEvent* drag) {
    const QMimeData* data = drag->mimeData();
    const QList<QUrl> urls = data != nullptr ? data->urls() : QList<QUrl>();
    return urls.isEmpty() || !urls.front().isLocalFile()
               ? std::string()
               : QFile::encodeName(urls.front().toLocalFile()).toStdString();
}

ScanFileControl::ScanFileControl(TfrmMain& form)
    : form_(form), kept_(std::make_unique<KeptScanControl>(form)) {
    const auto wire = [this](QKeySequence::StandardKey key, void (ScanFileControl::*handler)()) {
        connect(new QShortcut(key, &form_), &QShortcut::activated, this,
                [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
    };
    wire(QKeySequence::Save, &ScanFileControl::SaveClick);
    wire(QKeySequence::Open, &ScanFileControl::OpenClick);
    form_.setAcceptDrops(true);
    form_.installEventFilter(this);
    saveProgress_.setInterval(100);
    reaper_.setInterval(100);
    connect(&reaper_, &QTimer::timeout, this, [this] { ReapLeftOpens(); });
    connect(&saveProgress_, &QTimer::timeout, this, [this] { ShowSaveProgress(); });
}

ScanFileControl::~ScanFileControl() {
    StopAll();
}

bool ScanFileControl::CanSave() const {
    return !form_.Scanning() && !Saving() && form_.FinishedTree() != nullptr;
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
    if (form_.Scanning()) {
        return;
    }
    const std::string file = AskFileToOpen("スキャンを開く");
    if (!file.empty()) {
        Open(file);
    }
}

std::string ScanFileControl::AskFileToOpen(const char* title) {
    const QString name = QFileDialog::getOpenFileName(&form_, QString::fromUtf8(title), QString(),
                                                      QString::fromUtf8(kFilter));
    return QFile::encodeName(name).toStdString();
}

void ScanFileControl::SaveTo(const std::string& file) {
    if (!CanSave()) {
        return;
    }
    save_ = std::make_unique<TSaveThread>(file, form_.FinishedTree(), ShownRootName,
                                          static_cast<std::int64_t>(std::time(nullptr)));
    save_->SetOnFinished([this](TThread&) { SaveDone(); });
    form_.Order().SaveStarted(form_.ShownTree());
    save_->Start();
    ShowSaveProgress();
    saveProgress_.start();
}

void ScanFileControl::ShowSaveProgress() {
    // The status line belongs to a scan or an open that started meanwhile.
    if (save_ != nullptr && !form_.Scanning() && !Opening()) {
        form_.Controls().StatusBar1->SetSimpleText("保存中: " + FormatSize(save_->Written()) +
                                                   " ディレクトリ");
    }
}

void ScanFileControl::SaveDone() {
    // Released inside its own completion: the thread then ends on its own.
    const std::unique_ptr<TSaveThread> done = std::move(save_);
    saveProgress_.stop();
    std::shared_ptr<TFileAttr> records = done->TakeRecords();
    form_.Order().SaveEnded(records.get());
    BackgroundReleaser::Instance().Release(std::move(records));
    Guarded([this, &done] {
        if (done->Error) {
            std::rethrow_exception(done->Error);
        }
        if (!form_.Scanning() && !Opening()) {
            form_.Controls().StatusBar1->SetSimpleText("保存完了: " + done->File);
        }
    });
}

void ScanFileControl::AbandonSave() {
    if (save_ == nullptr) {
        return;
    }
    saveProgress_.stop();
    save_->SetOnFinished({});
    save_->RequestStop();
    save_->AwaitEnd();
    std::shared_ptr<TFileAttr> records = save_->TakeRecords();
    save_.reset();
    form_.Order().SaveEnded(records.get());
    BackgroundReleaser::Instance().Release(std::move(records));
}

void ScanFileControl::StopOpen() {
    if (thread_ == nullptr) {
        return;
    }
    thread_->SetOnFinished({});
    thread_->RequestStop();
    take_ = nullptr;
    // Not waited for here: a read stuck in the kernel (a hung mount) would hold the window.
    // It is kept until its body has returned, then freed with what it read.
    leftOpens_.push_back(std::move(thread_));
    ReapLeftOpens();
}

void ScanFileControl::ReapLeftOpens() {
    std::erase_if(leftOpens_, [](const std::unique_ptr<TScanFileThread>& left) {
        if (!left->BodyDone()) {
            return false;
        }
        BackgroundReleaser::Instance().Release(
            std::shared_ptr<TFileAttr>(std::move(left->Result.Root)));
        return true;
    });
    if (leftOpens_.empty()) {
        reaper_.stop();
    } else if (!reaper_.isActive()) {
        reaper_.start();
    }
}

void ScanFileControl::StopAll() {
    const std::array<TThread*, 2> workers{thread_.get(), save_.get()};
    for (TThread* worker : workers) {
        if (worker != nullptr) {
            worker->SetOnFinished({});
            worker->RequestStop();
        }
    }
    for (TThread* worker : workers) {
        if (worker != nullptr) {
            TApplication::AwaitBodyOrLeave(*worker);
        }
    }
    for (const auto& left : leftOpens_) {
        TApplication::AwaitBodyOrLeave(*left);
    }
    StopOpen();
    AbandonSave();
    kept_->StopAll();
}

void ScanFileControl::Open(const std::string& file, Taker take) {
    if (form_.Scanning()) {
        return;
    }
    StopOpen();  // the last file asked for is shown
    take_ = std::move(take);
    thread_ = std::make_unique<TScanFileThread>(file);
    thread_->SetOnFinished([this](TThread&) { OpenDone(); });
    thread_->Start();
}

void ScanFileControl::OpenDone() {
    // Released inside its own completion: the thread then ends on its own.
    const std::unique_ptr<TScanFileThread> done = std::move(thread_);
    const Taker take = std::exchange(take_, nullptr);
    Guarded([this, &done, &take] {
        if (take) {
            take(std::move(done->Result), done->Error);
            return;
        }
        if (done->Error) {
            std::rethrow_exception(done->Error);
        }
        form_.ReplaceShownTree(std::move(done->Result.Root), true);
        ShownRootName = std::move(done->Result.RootName);
        ShownWalked = false;
        kept_->Opened(done->File, ShownRootName);
        form_.Controls().StatusBar1->SetSimpleText("読込完了: " + done->File);
        form_.RefreshTree();
        form_.Comparing().TreeFinished();
    });
}

void ScanFileControl::ScanFinished(char drive) {
    const Volume* volume = InstalledVolumeTable()->ByLetter(drive);
    ShownRootName = volume != nullptr ? volume->MountPoint : std::string("/");
    ShownWalked = true;
    if (volume != nullptr) {
        kept_->ScanFinished(volume->MountPoint);
    }
}

bool ScanFileControl::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &form_ ||
        (event->type() != QEvent::DragEnter && event->type() != QEvent::Drop)) {
        return false;
    }
    auto* drop = static_cast<QDropEvent*>(event);
    const std::string file = DraggedFile(drop);
    if (!file.empty()) {
        drop->acceptProposedAction();
        if (event->type() == QEvent::Drop) {
            Guarded([this, &file] { Open(file); });
        }
    }
    return true;
}

}  // namespace zelk
