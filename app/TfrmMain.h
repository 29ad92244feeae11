#pragma once
// The one window of ZELK: the top band with the drive list, four buttons and the size-basis
// radio buttons, the tree and graph pages, and the status line. Its handlers carry the scan,
// the tree listing, sorting and the graph; each runs from the event loop inside an error guard.

#include <QColor>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

#include "app/GraphGrowth.h"
#include "app/MainFormControls.h"
#include "scan/SizeBasis.h"
#include "scan/TFileAttr.h"
#include "scan/TSearchThread.h"

namespace zelk {

class FolderScan;
class GraphPage;
class NodeMenu;
class CompareControl;
class GraphPage;
class ScanComparison;
class ScanFileControl;
class SteppedSort;
class SubtreeSurgery;
class TTreeNode;
class ViewPlace;
class WideListIndex;

class TfrmMain : public QWidget, public SizeBasisProvider, private MainFormControls {
    Q_OBJECT
  public:
    // Builds the layout, scaled for the screen, and wires every event to its handler. The
    // creation handler is left to the caller (the application object runs it). textHeight
    // replaces the measured height of "0" in the window font (tests lay out at design size).
    explicit TfrmMain(int textHeight = -1);
    ~TfrmMain() override;

    const MainFormControls& Controls() const { return *this; }
    // Saving and opening scan files (Ctrl+S, Ctrl+O, a file dropped onto the window); made
    // with the window, for its lifetime.
    const std::unique_ptr<ScanFileControl> ScanFiles;
    // Scanning a folder as the drive "a" (the command line, a drop, the drive list).
    FolderScan& Folders() const { return *folders_; }
    bool Scanning() const { return SearchThread != nullptr; }
    const TSearchThread* ScanWorker() const { return SearchThread.get(); }
    // The graph page's scrolling, zoom, selection, mouse and keys.
    GraphPage& Graph() const { return *graph_; }
    // The tree view's expanded nodes, current node and scroll position over a rebuild of the
    // listing.
    ViewPlace& Place() const { return *place_; }
    // The context menu of a directory and its keys. Its RescanRequested, TrashRequested and
    // DeleteRequested are to be connected to the handlers that change the records.
    NodeMenu& Menu() const { return *menu_; }
    // Comparing the shown tree with a baseline (Ctrl+B, the growth sort button).
    CompareControl& Comparing() const { return *comparing_; }
    // Compares the finished tree shown (or the next one to finish) with an earlier scan file.
    void CompareWithFile(const std::string& file);
    // Matched with the shown tree; nullptr while nothing is compared.
    const ScanComparison* ShownComparison() const { return comparison_.get(); }
    // The one way the comparison shown changes (nullptr ends it): a sort still going is
    // dropped, the old comparison freed on another thread, and the listing made again.
    void ReplaceComparison(std::unique_ptr<ScanComparison> next);
    // After a rescan, trash or delete changed these records while comparing: they are matched
    // again and the listing made again in its place.
    void RematchComparison(TFileAttr* changed, TFileAttr* alsoChanged);

    // The records the window shows: those a scan writes into until it has finished, and
    // nullptr after a close.
    TFileAttr* ShownTree() const { return RootAttr.get(); }
    // The shown records once complete (a scan that finished, an opened file), else nullptr.
    std::shared_ptr<TFileAttr> FinishedTree() const;
    // The one way another tree is shown: whatever still works on the old one (a sort or a
    // listing in steps) is dropped, the graph forgets it and its records are freed on another
    // thread once nothing reads them. A complete listing stays on screen until the next
    // listing; a partial one goes.
    void ReplaceShownTree(std::unique_ptr<TFileAttr> next, bool finished);
    // A save reads records on a worker: until every save of the shown ones has ended nothing
    // reorders them, and a sort asked for meanwhile, or dropped here, runs then. A save of
    // records no longer shown counts for nothing.
    void SaveStarted(const TFileAttr* records);
    void SaveEnded(const TFileAttr* records);
    // A save or a keep reads the shown records on its worker: they must not change meanwhile.
    bool ShownBeingSaved() const { return savesReadingShown_ > 0; }

    void btnStartClick();
    void btnStopClick();
    // Completion handlers of a scan, on the user-interface thread; each frees the thread.
    void SearchDone(TThread& sender);
    void SearchAborted(TThread& sender);
    // Ends thread without any completion handler, serving only its pending status step.
    void StopThread(std::unique_ptr<TSearchThread> thread);
    void FormCloseQuery(bool& canClose);
    void btnSortBySizeClick();
    void btnSortByDateClick();
    void btnSortByGrowthClick();
    void rbFileSizeClick();
    void rbCompressedSizeClick();
    void PaintBox1Paint();
    // The graph; DrawAttr only while PaintBox1 paints. Both need a shown tree.
    void DrawAttr(const TFileAttr& record, int top, int colourIndex);
    std::int32_t BarHeight(const TFileAttr& record) const;
    QColor GraphColor(int index) const;
    void TreeView1Click();
    void FormCreate();

    // The actions on one directory of a finished scan (rescan, trash, delete); each does
    // nothing where it does not apply (Actions().CanAct).
    void RescanNode(TFileAttr* record);
    void TrashNode(TFileAttr* record);
    void DeleteNode(TFileAttr* record);
    SubtreeSurgery& Actions() const { return *surgery_; }

    // Tree listing: every earlier node deleted, then one node per shown record (there must be a
    // shown tree); the graph surface is invalidated.
    void RefreshTree();
    void AddNodes(const TFileAttr& record, TTreeNode* parent);
    std::string FormatSize(long double value) const;

    // Sorting: Resort sorts the shown tree by the chosen key and rebuilds the listing, only once
    // a key is chosen and only for a finished tree.
    void Resort();
    // A large sort still going on in steps, or one waiting for a save of the shown records.
    bool SortPending() const;
    void SortAttr(TFileAttr& record) const;
    int CompareAttr(const TFileAttr& a, const TFileAttr& b) const;

    // Checked rbCompressedSize: sizes count compressed bytes.
    bool CompressedBasis() const override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    // The window's own keyboard order (MoveTabFocus).
    bool focusNextPrevChild(bool next) override;
    // A basis changes the sizes, and the growth a compared listing shows.
    void BasisChanged();

  private:
    friend void BuildMainForm(TfrmMain& form, int textHeight);
    friend void WireMainForm(TfrmMain& form);
    friend void MoveTabFocus(const TfrmMain& form, bool next);

    std::shared_ptr<TFileAttr> RootAttr;
    // Set only on this thread once the tree is complete: the worker's writes are then seen
    // through the frame's completion step, never through the records' own flags.
    bool finished_ = false;
    std::unique_ptr<TSearchThread> SearchThread;
    std::string SortKey;
    std::unique_ptr<SteppedSort> sorting_;
    int savesReadingShown_ = 0;
    bool resortAfterSave_ = false;
    // Of the tree the graph shows; emptied whenever that tree or its order changes.
    std::unique_ptr<WideListIndex> graphIndex_;
    GraphPage* graph_ = nullptr;  // a child of the graph page
    ViewPlace* place_ = nullptr;  // a child of the tree view

    FolderScan* folders_ = nullptr;  // a child of the window
    NodeMenu* menu_ = nullptr;       // a child of the tree
    std::unique_ptr<SubtreeSurgery> surgery_;
    GraphGrowth graphGrowth_;  // of comparison_
    std::unique_ptr<ScanComparison> comparison_;
    CompareControl* comparing_ = nullptr;  // a child of the window
};

}  // namespace zelk
