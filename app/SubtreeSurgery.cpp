#include "app/SubtreeSurgery.h"

#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <utility>
#include <vector>

#include "app/BackgroundReleaser.h"
#include "app/GraphPage.h"
#include "app/ListingOrder.h"
#include "app/NodeMenu.h"
#include "app/RecordSplice.h"
#include "app/ScanFileControl.h"
#include "app/TApplication.h"
#include "app/TPaintBox.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "app/TreeListing.h"
#include "app/WideListIndex.h"
#include "platform/VolumeTable.h"
#include "scan/RealPath.h"

namespace zelk {
namespace {

QString Text(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

bool AskByBox(const QString& text, bool cancelByDefault, const QString& action) {
    const TApplication* application = TApplication::Instance();
    QMessageBox box(QMessageBox::Warning,
                    application != nullptr ? Text(application->AppTitle()) : QString(), text,
                    QMessageBox::Yes | QMessageBox::Cancel);
    box.button(QMessageBox::Yes)->setText(action);
    box.button(QMessageBox::Cancel)->setText(QString::fromUtf8("キャンセル"));
    box.setDefaultButton(cancelByDefault ? QMessageBox::Cancel : QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void Release(std::unique_ptr<TFileAttr> records) {
    BackgroundReleaser::Instance().Release(std::shared_ptr<TFileAttr>(std::move(records)));
}

}  // namespace

SubtreeSurgery::SubtreeSurgery(TfrmMain& form, TTreeView& tree, GraphPage& graph,
                               WideListIndex& index, TPaintBox& surface, StatusLine& status)
    : form_(form),
      tree_(tree),
      graph_(graph),
      index_(index),
      surface_(surface),
      status_(status),
      feeder_(tree.Model()),
      place_(tree) {
    feeder_.Done = [this] { Restore(); };
    heldTimer_.setInterval(50);
    QObject::connect(&heldTimer_, &QTimer::timeout, [this] { Finished(); });
}

SubtreeSurgery::~SubtreeSurgery() {
    Drop();
}

void SubtreeSurgery::ScanFinished(char drive) {
    const Volume* volume = InstalledVolumeTable()->ByLetter(drive);
    drive_ = volume != nullptr ? drive : 0;
    mountPoint_ = volume != nullptr ? volume->MountPoint : std::string();
}

void SubtreeSurgery::Drop() {
    drive_ = 0;
    feeder_.Drop();
    heldTimer_.stop();
    held_.reset();  // its body has returned
    place_.Forget();
    if (worker_ != nullptr) {
        std::unique_ptr<SubtreeWorker> worker = std::move(worker_);
        worker->StatusBar = nullptr;
        worker->SetOnFinished({});
        worker->RequestStop();
        worker->AwaitEnd();
    }
}

bool SubtreeSurgery::CanAct(const TFileAttr* record) const {
    const std::shared_ptr<TFileAttr> root = form_.FinishedTree();
    if (record == nullptr || root == nullptr || drive_ == 0 || Running() ||
        record->Parent == nullptr || record->OtherVolume || form_.Scanning() ||
        form_.SortPending() || tree_.Model().Deferring()) {
        return false;
    }
    const TFileAttr* up = record;
    while (up->Parent != nullptr) {
        up = up->Parent;
    }
    return up == root.get();
}

QString SubtreeSurgery::PathText(const TFileAttr& record) const {
    return Text(RealPathOf(mountPoint_, *form_.FinishedTree(), record));
}

QString SubtreeSurgery::SizeText(const TFileAttr& record) const {
    return Text(FormatSize(record.GetSize()) + " バイト");
}

void SubtreeSurgery::Rescan(TFileAttr* record) {
    if (CanAct(record)) {
        Start(SubtreeWorker::Kind::Rescan, *record);
    }
}

void SubtreeSurgery::Trash(TFileAttr* record) {
    AskAndStart(SubtreeWorker::Kind::Trash, record, "ごみ箱へ移動",
                "ごみ箱を空にするまで空き領域は増えません。");
}

void SubtreeSurgery::Delete(TFileAttr* record) {
    AskAndStart(SubtreeWorker::Kind::Delete, record, "完全に削除", "この操作は元に戻せません。");
}

void SubtreeSurgery::AskAndStart(SubtreeWorker::Kind kind, TFileAttr* record, const char* action,
                                 const char* note) {
    if (!CanAct(record)) {
        return;
    }
    const QString verb = QString::fromUtf8(action);
    const QString text =
        QString::fromUtf8("次のディレクトリを%1しますか?\n\n%2\n%3\n\n%4")
            .arg(verb, PathText(*record), SizeText(*record), QString::fromUtf8(note));
    // Deleting cannot be undone: only a deliberate choice goes ahead.
    const bool cancelByDefault = kind == SubtreeWorker::Kind::Delete;
    const bool yes =
        Confirm ? Confirm(text, cancelByDefault) : AskByBox(text, cancelByDefault, verb);
    if (yes) {
        Start(kind, *record);
    }
}

void SubtreeSurgery::Stop() {
    if (worker_ != nullptr && worker_->Action == SubtreeWorker::Kind::Rescan) {
        worker_->RequestStop();
    }
}

void SubtreeSurgery::Start(SubtreeWorker::Kind kind, TFileAttr& record) {
    worker_ = std::make_unique<SubtreeWorker>(kind, *form_.FinishedTree(), record, mountPoint_);
    worker_->Drive = drive_;
    if (kind == SubtreeWorker::Kind::Rescan) {
        worker_->StatusBar = &status_;
    }
    worker_->SetOnFinished([this](TThread&) { Finished(); });
    worker_->Start();
}

void SubtreeSurgery::Finished() {
    // A save reads the shown records on its worker: they change only once it has ended.
    if (form_.Order().BeingSaved()) {
        if (worker_ != nullptr) {  // the timer's next tries find it held already
            held_ = std::move(worker_);
        }
        heldTimer_.start();
        return;
    }
    heldTimer_.stop();
    // Freed once this handler returns; its results are moved out first.
    std::unique_ptr<SubtreeWorker> done = std::move(held_ != nullptr ? held_ : worker_);
    if (done->Action == SubtreeWorker::Kind::Rescan) {
        status_.SetSimpleText(done->Stopped ? "探索中断" : "探索完了");
    }
    const QString path = PathText(done->Target);
    const QString left = SizeText(done->Fresh != nullptr ? *done->Fresh : done->Target);
    const bool partial = done->Action == SubtreeWorker::Kind::Delete && done->Fresh != nullptr;
    const bool changed = !done->Stopped && (done->Removed || done->Fresh != nullptr);
    if (changed) {
        Apply(*done);
    }
    if (done->Error.empty()) {
        return;
    }
    QString text;
    if (partial) {
        text = QString::fromUtf8("一部を削除できませんでした: %1\n\n%2\n%3 が残っています。")
                   .arg(Text(done->Error), path, left);
    } else {
        text = QString::fromUtf8("操作できませんでした: %1\n\n%2").arg(Text(done->Error), path);
    }
    if (Inform) {
        Inform(text);
    } else {
        QMessageBox::critical(&form_, Text(TApplication::Instance()->AppTitle()), text);
    }
}

void SubtreeSurgery::Replace(TFileAttr& record, TFileAttr& fresh, TTreeNode* node) {
    RecordSplice::Replace(record, fresh);
    form_.SortAttr(record);
    if (node == nullptr) {
        return;
    }
    TreeNodeModel& model = tree_.Model();
    model.RemoveChildren(node);
    feeder_.FeedChildren(record, node);
    Describe(*node, record);
    model.Refigure(node, FiguresOf(record));
}

void SubtreeSurgery::Apply(SubtreeWorker& done) {
    const std::shared_ptr<TFileAttr> root = form_.FinishedTree();
    TFileAttr& target = done.Target;
    TreeNodeModel& model = tree_.Model();
    model.FlushChanges();
    graph_.TreeDropping();
    form_.Menu().Dismiss();  // its target may be among the records replaced
    TTreeNode* node = NodeOf(tree_, *root, target);
    TTreeNode* const parentNode = node != nullptr ? node->Parent() : nullptr;
    TFileAttr* const oldParent = target.Parent;
    std::vector<std::unique_ptr<TFileAttr>> garbage;
    if (!done.Removed) {
        place_.Remember(node);
        Replace(target, *done.Fresh, node);
        garbage.push_back(std::move(done.Fresh));
    } else {
        place_.Remember(nullptr);
        std::unique_ptr<TFileAttr> moved = RecordSplice::Detach(target);
        model.RemoveRow(node);
        if (parentNode != nullptr && !tree_.currentIndex().isValid()) {
            tree_.setCurrentIndex(model.IndexOf(parentNode));
        }
        if (done.Graft != nullptr && done.Moved != nullptr) {
            garbage.push_back(RecordSplice::PutInPlace(std::move(moved), *done.Moved));
        } else {
            garbage.push_back(std::move(moved));
        }
        if (done.Graft != nullptr && done.GraftReplaced != nullptr) {
            Replace(*done.GraftReplaced, *done.Graft, NodeOf(tree_, *root, *done.GraftReplaced));
            garbage.push_back(std::move(done.Graft));
        } else if (done.Graft != nullptr && done.GraftParent != nullptr) {
            TFileAttr& under = *done.GraftParent;
            form_.SortAttr(*done.Graft);
            RecordSplice::Append(under, std::move(done.Graft));
            TTreeNode* underNode = NodeOf(tree_, *root, under);
            if (underNode != nullptr) {
                feeder_.FeedChild(*under.Children.back(), underNode);
            }
        }
    }
    done.SettleAncestors();
    model.RenewTexts(TextMakerOf(*root));
    for (const TFileAttr* from : {done.Removed ? oldParent : &target, done.GraftParent}) {
        // Only what the shown tree still holds.
        const TFileAttr* up = from;
        while (up != nullptr && up->Parent != nullptr) {
            up = up->Parent;
        }
        if (from == nullptr || up != root.get()) {
            continue;
        }
        TTreeNode* at = NodeOf(tree_, *root, *from);
        for (const TFileAttr* r = from; r != nullptr && at != nullptr; r = r->Parent) {
            model.Refigure(at, FiguresOf(*r));
            at = at->Parent();
        }
    }
    for (auto& records : garbage) {
        Release(std::move(records));
    }
    form_.Order().Rematch(done.Removed ? oldParent : &target, done.GraftParent);
    tree_.viewport()->update();
    index_.Clear();
    surface_.Invalidate();
    feeder_.Run();
}

void SubtreeSurgery::Restore() {
    place_.Restore();
    graph_.TreeChanged();
    surface_.Invalidate();
}

}  // namespace zelk
