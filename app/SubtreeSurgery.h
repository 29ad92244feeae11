#pragma once
// The actions on one directory of a finished scan: walk it again, move it to the trash, delete
// it. Each asks first where it changes files, runs on a worker, and then puts the new records
// in place and tells the tree control row by row, so the view keeps its expanded nodes, its
// selection and its scroll, and the tree equals what a fresh scan of the drive would give.

#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/RowFeeder.h"
#include "app/SubtreeWorker.h"
#include "app/TreePlace.h"
#include "scan/TFileAttr.h"

namespace zelk {

class GraphPage;
class StatusLine;
class TPaintBox;
class TTreeNode;
class TTreeView;
class TfrmMain;
class WideListIndex;

class SubtreeSurgery {
  public:
    SubtreeSurgery(TfrmMain& form, TTreeView& tree, GraphPage& graph, WideListIndex& index,
                   TPaintBox& surface, StatusLine& status);
    ~SubtreeSurgery();

    // Asked before a change of files: the text, and whether キャンセル is the default.
    std::function<bool(const QString& text, bool cancelByDefault)> Confirm;
    // Shows why an action failed or was not complete.
    std::function<void(const QString& text)> Inform;

    // The shown records come from a finished scan of drive (not from a file).
    void ScanFinished(char drive);
    // Before the shown records go: a worker still running is stopped and its result dropped.
    void Drop();
    // A worker runs, or its records are still being listed.
    bool Running() const { return worker_ != nullptr || held_ != nullptr || feeder_.Pending(); }
    // Nothing acts on the root, another volume's mount point, an opened file's records, or
    // while a scan, a sort, a save or another action runs.
    bool CanAct(const TFileAttr* record) const;

    void Rescan(TFileAttr* record);
    void Trash(TFileAttr* record);
    void Delete(TFileAttr* record);
    // The Stop button: a rescan ends and the tree stays as it was.
    void Stop();

  private:
    void AskAndStart(SubtreeWorker::Kind kind, TFileAttr* record, const char* action,
                     const char* note);
    void Start(SubtreeWorker::Kind kind, TFileAttr& record);
    void Finished();
    void Apply(SubtreeWorker& done);
    // Puts fresh's records and totals in place of record's, and its nodes under node.
    void Replace(TFileAttr& record, TFileAttr& fresh, TTreeNode* node);
    // Once the new nodes are listed: the view's place as it was.
    void Restore();
    QString PathText(const TFileAttr& record) const;
    QString SizeText(const TFileAttr& record) const;

    TfrmMain& form_;
    TTreeView& tree_;
    GraphPage& graph_;
    WideListIndex& index_;
    TPaintBox& surface_;
    StatusLine& status_;
    char drive_ = 0;
    std::string mountPoint_;
    std::unique_ptr<SubtreeWorker> worker_;
    // Finished while a save still read the records.
    std::unique_ptr<SubtreeWorker> held_;
    QTimer heldTimer_;
    RowFeeder feeder_;
    TreePlace place_;
};

}  // namespace zelk
