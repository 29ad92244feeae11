#pragma once
// The one window of ZELK: the top band with the drive list, four buttons and the size-basis
// radio buttons, the tree and graph pages, and the status line. Its handlers carry the scan,
// the tree listing, sorting and the graph; each runs from the event loop inside an error guard.

#include <QColor>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <string>

#include "scan/SizeBasis.h"
#include "scan/TFileAttr.h"
#include "scan/TSearchThread.h"

class QPushButton;

namespace zelk {

class GraphPage;
class ScanFileControl;
class SteppedSort;
class TDriveComboBox;
class TImageList;
class TPageControl;
class TPaintBox;
class TPanel;
class TRadioButton;
class TStatusBar;
class TTreeNode;
class TTreeView;
class WideListIndex;

class TfrmMain : public QWidget, public SizeBasisProvider {
    Q_OBJECT
  public:
    // Builds the layout, scaled for the screen, and wires every event to its handler. The
    // creation handler is left to the caller (the application object runs it). textHeight
    // replaces the measured height of "0" in the window font (tests lay out at design size).
    explicit TfrmMain(int textHeight = -1);
    ~TfrmMain() override;

    // The controls, owned by the window through their Qt parents (ImageList1 directly).
    TPanel* Panel1 = nullptr;
    TStatusBar* StatusBar1 = nullptr;
    TDriveComboBox* DriveComboBox1 = nullptr;
    QPushButton* btnStart = nullptr;
    QPushButton* btnStop = nullptr;
    TPageControl* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    TTreeView* TreeView1 = nullptr;
    std::unique_ptr<TImageList> ImageList1;
    TPaintBox* PaintBox1 = nullptr;
    QPushButton* btnSortBySize = nullptr;
    QPushButton* btnSortByDate = nullptr;
    TRadioButton* rbFileSize = nullptr;
    TRadioButton* rbCompressedSize = nullptr;

    std::unique_ptr<TFileAttr> RootAttr;
    std::unique_ptr<TSearchThread> SearchThread;
    std::string SortKey;
    // Saving and opening scan files (Ctrl+S, Ctrl+O, a file dropped onto the window).
    std::unique_ptr<ScanFileControl> ScanFiles;
    // The graph page's scrolling, zoom, selection, mouse and keys.
    GraphPage* Graph = nullptr;

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
    void rbFileSizeClick();
    void rbCompressedSizeClick();
    void PaintBox1Paint();
    // The graph; DrawAttr only while PaintBox1 paints. Both need RootAttr set.
    void DrawAttr(const TFileAttr& record, int top, int colourIndex);
    std::int32_t BarHeight(const TFileAttr& record) const;
    QColor GraphColor(int index) const;
    void TreeView1Click();
    void FormCreate();

    // Tree listing: every earlier node deleted, then one node per record of RootAttr (which
    // must be set); the graph surface is invalidated.
    void RefreshTree();
    void AddNodes(const TFileAttr& record, TTreeNode* parent);
    std::string FormatSize(long double value) const;

    // Sorting: Resort sorts RootAttr by SortKey and rebuilds the listing, only once a key is
    // chosen and only for a finished scan.
    void Resort();
    // A large sort still going on in steps.
    bool SortPending() const;
    void SortAttr(TFileAttr& record) const;
    int CompareAttr(const TFileAttr& a, const TFileAttr& b) const;

    // Checked rbCompressedSize: sizes count compressed bytes.
    bool CompressedBasis() const override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    // The window's own keyboard order (MoveTabFocus).
    bool focusNextPrevChild(bool next) override;

  private:
    // A sort still in steps reads the records: dropped before they go.
    void DropPendingSort();

    std::unique_ptr<SteppedSort> sorting_;
    // Of the tree the graph shows; emptied whenever that tree or its order changes.
    std::unique_ptr<WideListIndex> graphIndex_;
};

}  // namespace zelk
