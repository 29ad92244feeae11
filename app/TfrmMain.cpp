#include "app/TfrmMain.h"

#include <QCloseEvent>
#include <QPushButton>
#include <utility>

#include "app/CompareControl.h"
#include "app/ControlStates.h"
#include "app/ErrorGuard.h"
#include "app/FolderScan.h"
#include "app/GraphPage.h"
#include "app/GraphPainter.h"
#include "app/ListingOrder.h"
#include "app/MainFormLayout.h"
#include "app/NodeMenu.h"
#include "app/RecordSorter.h"
#include "app/ScanFileControl.h"
#include "app/SubtreeSurgery.h"
#include "app/TApplication.h"
#include "app/TImageList.h"
#include "app/TPageControl.h"
#include "app/TPaintBox.h"
#include "app/TPanel.h"
#include "app/TRadioButton.h"
#include "app/TStatusBar.h"
#include "app/TTreeView.h"
#include "app/TreeListing.h"
#include "app/ViewPlace.h"
#include "app/WideListIndex.h"
#include "app/WindowSettings.h"

namespace zelk {

TfrmMain::TfrmMain(int textHeight)
    : ScanFiles(std::make_unique<ScanFileControl>(*this)),
      graphIndex_(std::make_unique<WideListIndex>()),
      order_(std::make_unique<ListingOrder>(*this, SortKey, *graphIndex_)),
      scan_(std::make_unique<ScanControl>(*this, *graphIndex_)) {
    BuildMainForm(*this, textHeight);
    WireMainForm(*this);
    graph_ = new GraphPage(*TabSheet2, *PaintBox1, *TreeView1, *graphIndex_);
    // Only a finished tree: the records a scan still writes are the worker's.
    graph_->ShownRoot = [this] { return scan_->Finished().get(); };
    graph_->ShownRootPath = [this] { return ScanFiles->ShownRootName; };
    place_ = new ViewPlace(*TreeView1);
    folders_ = new FolderScan(*this);
    ControlStates::SetTips(*this);
    ControlStates::Update(*this, false, false);
    setMinimumSize(WindowSettings::MinimumSize(*this));
    menu_ = new NodeMenu(*TreeView1, *graph_, *PaintBox1);
    menu_->FinishedRoot = [this] { return scan_->Finished().get(); };
    menu_->RootPath = [this] { return ScanFiles->ShownRootName; };
    menu_->Walked = [this] { return ScanFiles->ShownWalked; };
    surgery_ = std::make_unique<SubtreeSurgery>(*this, *TreeView1, *graph_, *graphIndex_,
                                                *PaintBox1, *StatusBar1);
    menu_->CanChange = [this](const TFileAttr* record) { return surgery_->CanAct(record); };
    connect(menu_, &NodeMenu::RescanRequested, this, &TfrmMain::RescanNode);
    connect(menu_, &NodeMenu::TrashRequested, this, &TfrmMain::TrashNode);
    connect(menu_, &NodeMenu::DeleteRequested, this, &TfrmMain::DeleteNode);
    graph_->Growth = [this] { return order_->Growth(); };
    comparing_ = new CompareControl(*this);
    InstallSizeBasis(this);
}

TfrmMain::~TfrmMain() {
    graph_->ShownRoot = {};  // the page goes with the controls, after the records
    menu_->FinishedRoot = {};
    scan_->WindowGoing();
    ScanFiles->StopAll();
    if (InstalledSizeBasis() == this) {
        InstallSizeBasis(nullptr);
    }
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    bool canClose = true;
    Guarded([&] { FormCloseQuery(canClose); });
    if (!canClose) {
        event->ignore();
        return;
    }
    TApplication* application = TApplication::Instance();
    if (application != nullptr && application->MainWindow() == this) {
        // The main window stays on screen until the loop has ended.
        event->ignore();
        application->RequestQuit();
        return;
    }
    event->accept();
}

bool TfrmMain::focusNextPrevChild(bool next) {
    MoveTabFocus(*this, next);
    return true;
}

bool TfrmMain::CompressedBasis() const {
    return rbCompressedSize->isChecked();
}

// Scan control.

void TfrmMain::FormCreate() {
    PageControl1->SetActivePage(TabSheet1);
}

void TfrmMain::btnStartClick() {
    scan_->Start();
}

void TfrmMain::ReplaceShownTree(std::unique_ptr<TFileAttr> next, bool finished) {
    scan_->ReplaceShown(std::move(next), finished);
}

void TfrmMain::btnStopClick() {
    scan_->Stop();
}

void TfrmMain::SearchDone(TThread& /*sender*/) {
    scan_->Done();
}

void TfrmMain::SearchAborted(TThread& /*sender*/) {
    scan_->Aborted();
}

void TfrmMain::StopThread(std::unique_ptr<TSearchThread> thread) {
    ScanControl::StopThread(std::move(thread));
}

void TfrmMain::FormCloseQuery(bool& canClose) {
    canClose = true;
    // The records go first: a save abandoned afterwards asks for no sort of them.
    scan_->Close();
    ScanFiles->StopAll();
}

void TfrmMain::RescanNode(TFileAttr* record) {
    surgery_->Rescan(record);
}

void TfrmMain::TrashNode(TFileAttr* record) {
    surgery_->Trash(record);
}

void TfrmMain::DeleteNode(TFileAttr* record) {
    surgery_->Delete(record);
}

void TfrmMain::TreeView1Click() {
    StatusBar1->SetSimpleText(TreeView1->Hint());
}

// Sorting.

void TfrmMain::btnSortBySizeClick() {
    SortKey = "Size";
    Resort();
}

void TfrmMain::btnSortByDateClick() {
    SortKey = "Date";
    Resort();
}

void TfrmMain::btnSortByGrowthClick() {
    SortKey = "Growth";
    Resort();
}

void TfrmMain::rbFileSizeClick() {
    order_->BasisChanged();
}

void TfrmMain::rbCompressedSizeClick() {
    order_->BasisChanged();
}

// Comparing.

void TfrmMain::CompareWithFile(const std::string& file) {
    comparing_->CompareWithFile(file);
}

void TfrmMain::Resort() {
    order_->Sort();
}

void TfrmMain::SortAttr(TFileAttr& record) const {
    zelk::SortAttr(SortKey, record);
}

int TfrmMain::CompareAttr(const TFileAttr& a, const TFileAttr& b) const {
    return zelk::CompareAttr(SortKey, a, b);
}

// Tree listing.

void TfrmMain::RefreshTree() {
    ClearNodes(*TreeView1);
    graphIndex_->Clear();
    AddNodes(*ShownTree(), nullptr);
    place_->Restore(*ShownTree());
    graph_->TreeChanged();
    PaintBox1->Invalidate();
}

void TfrmMain::AddNodes(const TFileAttr& record, TTreeNode* parent) {
    zelk::AddNodes(*TreeView1, record, *ShownTree(), parent, order_->Comparison());
}

std::string TfrmMain::FormatSize(long double value) const {
    return zelk::FormatSize(value);
}

// Graph.

void TfrmMain::PaintBox1Paint() {
    graph_->Paint();
}

void TfrmMain::DrawAttr(const TFileAttr& record, int top, int colourIndex) {
    GraphPainter(PaintBox1->Canvas(), PaintBox1->Width(), PaintBox1->Height(), *ShownTree())
        .DrawAttr(record, top, colourIndex);
}

std::int32_t TfrmMain::BarHeight(const TFileAttr& record) const {
    return zelk::BarHeight(record, *ShownTree(), PaintBox1->Height());
}

QColor TfrmMain::GraphColor(int index) const {
    return zelk::GraphColor(index);
}

}  // namespace zelk
