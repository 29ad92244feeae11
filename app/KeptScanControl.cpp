#include "app/KeptScanControl.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QAction>
#include <algorithm>

#include "app/BackgroundReleaser.h"
#include "app/ErrorGuard.h"
#include "app/ListingOrder.h"
#include "app/ScanFileControl.h"
#include "app/TApplication.h"
#include "app/TStatusBar.h"
#include "app/TfrmMain.h"
#include "scanfile/EScanFileError.h"

namespace zelk {
namespace {

constexpr int kNice = 10;

}  // namespace

KeptScanControl::KeptScanControl(TfrmMain& form)
    : form_(form),
      keeper_(KeptScans::DefaultFolder()),
      compare_(new QAction(QString::fromUtf8("前回と比較"), &form)) {
    compare_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B));
    compare_->setShortcutContext(Qt::WindowShortcut);
    form_.addAction(compare_);
    connect(compare_, &QAction::triggered, this,
            [this] { Guarded([this] { CompareWithPrevious(); }); });
}

KeptScanControl::~KeptScanControl() {
    StopAll();
}

void KeptScanControl::ScanFinished(const std::string& place) {
    place_ = place;
    stamp_ = KeptScans::Now();
    const std::shared_ptr<TFileAttr> records = form_.FinishedTree();
    if (records == nullptr) {
        return;
    }
    const KeptScans& keeper = keeper_;
    const std::int64_t stamp = stamp_;
    auto keep = std::make_unique<TSaveThread>(
        keeper_.FileFor(place, stamp), records,
        [&keeper, place, stamp](const TFileAttr& root, const ScanFileWriter::SaveControl& control) {
            // Behind everything the user waits for; only this thread.
            [[maybe_unused]] const int nice = ::setpriority(PRIO_PROCESS, ::gettid(), kNice);
            return keeper.Keep(root, place, stamp, control);
        });
    keep->SetOnFinished([this](TThread& done) { KeepDone(static_cast<TSaveThread&>(done)); });
    form_.Order().SaveStarted(records.get());
    keep->Start();
    keeps_.push_back(std::move(keep));
}

void KeptScanControl::KeepDone(TSaveThread& done) {
    const auto at = std::find_if(keeps_.begin(), keeps_.end(),
                                 [&done](const auto& keep) { return keep.get() == &done; });
    // Released inside its own completion: the thread then ends on its own.
    const std::unique_ptr<TSaveThread> keep = std::move(*at);
    keeps_.erase(at);
    std::shared_ptr<TFileAttr> records = keep->TakeRecords();
    form_.Order().SaveEnded(records.get());
    BackgroundReleaser::Instance().Release(std::move(records));
    if (keep->Error == nullptr || form_.Scanning() || form_.ScanFiles->Opening()) {
        return;
    }
    std::string reason;
    try {
        std::rethrow_exception(keep->Error);
    } catch (const EScanFileError& error) {
        reason = error.Reason();
    } catch (const std::exception& error) {
        reason = error.what();
    }
    form_.Controls().StatusBar1->SetSimpleText("検索結果を保管できません: " + reason);
}

void KeptScanControl::Opened(const std::string& file, const std::string& place) {
    place_ = place;
    stamp_ = KeptScans::StampOf(file, place).value_or(KeptScans::Now());
}

std::optional<std::string> KeptScanControl::PreviousFile() const {
    if (place_.empty()) {
        return std::nullopt;
    }
    const auto previous = keeper_.Previous(place_, stamp_);
    return previous ? std::optional<std::string>(previous->File) : std::nullopt;
}

void KeptScanControl::CompareWithPrevious() {
    if (form_.Scanning() || form_.FinishedTree() == nullptr) {
        return;
    }
    const std::optional<std::string> previous = PreviousFile();
    if (!previous) {
        form_.Controls().StatusBar1->SetSimpleText("前回の検索がありません");
        return;
    }
    form_.CompareWithFile(*previous);
}

void KeptScanControl::StopAll() {
    for (const auto& keep : keeps_) {
        keep->SetOnFinished({});
        keep->RequestStop();
    }
    for (const auto& keep : keeps_) {
        TApplication::AwaitBodyOrLeave(*keep);
    }
    for (auto& keep : keeps_) {
        keep->AwaitEnd();
        std::shared_ptr<TFileAttr> records = keep->TakeRecords();
        keep.reset();
        form_.Order().SaveEnded(records.get());
        BackgroundReleaser::Instance().Release(std::move(records));
    }
    keeps_.clear();
}

}  // namespace zelk
