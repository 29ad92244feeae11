#pragma once
// The one window of ZELK: the top band with the drive list, four buttons and the size-basis
// radio buttons, the tree and graph pages, and the status line. Its handlers carry the scan,
// the tree listing, sorting and the graph; each runs from the event loop inside an error guard.

#include <QColor>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

#include "app/ListingOrder.h"
#include "app/MainFormControls.h"
#include "app/ScanControl.h"
#include "scan/SizeBasis.h"
#include "scan/TFileAttr.h"
#include "scan/TSearchThread.h"

namespace zelk {

class FolderScan;
class NodeMenu;
class CompareControl;
class GraphPage;
class ScanComparison;
class ScanFileControl;
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
    bool Scanning() const { return scan_->Scanning(); }
    const TSearchThread* ScanWorker() const { return scan_->Worker(); }
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
    const ScanComparison* ShownComparison() const { return order_->Comparison(); }
    // The sort of the shown records, the saves that hold it back, and the comparison shown.
    ListingOrder& Order() const { return *order_; }

    // The shown records and the one way another tree is shown (ScanControl).
    TFileAttr* ShownTree() const { return scan_->Shown(); }
    std::shared_ptr<TFileAttr> FinishedTree() const { return scan_->Finished(); }
    void ReplaceShownTree(std::unique_ptr<TFileAttr> next, bool finished);

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
    bool SortPending() const { return order_->SortPending(); }
    void SortAttr(TFileAttr& record) const;
    int CompareAttr(const TFileAttr& a, const TFileAttr& b) const;

    // Checked rbCompressedSize: sizes count compressed bytes.
    bool CompressedBasis() const override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    // The window's own keyboard order (MoveTabFocus).
    bool focusNextPrevChild(bool next) override;

  private:
    friend void BuildMainForm(TfrmMain& form, int textHeight);
    friend void WireMainForm(TfrmMain& form);
    friend void MoveTabFocus(const TfrmMain& form, bool next);

    std::string SortKey;
    // Of the tree the graph shows; emptied whenever that tree or its order changes.
    std::unique_ptr<WideListIndex> graphIndex_;
    std::unique_ptr<ListingOrder> order_;
    std::unique_ptr<ScanControl> scan_;  // holds RootAttr and SearchThread
    GraphPage* graph_ = nullptr;         // a child of the graph page
    ViewPlace* place_ = nullptr;         // a child of the tree view

    FolderScan* folders_ = nullptr;  // a child of the window
    NodeMenu* menu_ = nullptr;       // a child of the tree
    std::unique_ptr<SubtreeSurgery> surgery_;
    CompareControl* comparing_ = nullptr;  // a child of the window
};

}  // namespace zelk
