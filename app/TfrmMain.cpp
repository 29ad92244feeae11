#include "app/TfrmMain.h"

#include <QCloseEvent>
#include <QPushButton>
#include <utility>

#include <QMenu>

#include "app/BackgroundReleaser.h"
#include "app/CompareControl.h"
#include "app/ControlStates.h"
#include "app/ErrorGuard.h"
#include "app/FolderScan.h"
#include "app/GraphPage.h"
#include "app/GraphPainter.h"
#include "app/MainFormLayout.h"
#include "app/NodeMenu.h"
#include "app/RecordSorter.h"
#include "app/ScanFileControl.h"
#include "app/SteppedSort.h"
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
#include "drives/TDriveComboBox.h"
#include "scan/ScanComparison.h"

namespace zelk {

TfrmMain::TfrmMain(int textHeight)
    : ScanFiles(std::make_unique<ScanFileControl>(*this)),
      sorting_(std::make_unique<SteppedSort>([this] { RefreshTree(); })),
      graphIndex_(std::make_unique<WideListIndex>()) {
    BuildMainForm(*this, textHeight);
    WireMainForm(*this);
    graph_ = new GraphPage(*TabSheet2, *PaintBox1, *TreeView1, *graphIndex_);
    // Only a finished tree: the records a scan still writes are the worker's.
    graph_->ShownRoot = [this] { return finished_ ? RootAttr.get() : nullptr; };
    graph_->ShownRootPath = [this] { return ScanFiles->ShownRootName; };
    place_ = new ViewPlace(*TreeView1);
    folders_ = new FolderScan(*this);
    ControlStates::SetTips(*this);
    ControlStates::Update(*this, false, false);
    setMinimumSize(WindowSettings::MinimumSize(*this));
    menu_ = new NodeMenu(*TreeView1, *graph_, *PaintBox1);
    menu_->FinishedRoot = [this] { return finished_ ? RootAttr.get() : nullptr; };
    menu_->RootPath = [this] { return ScanFiles->ShownRootName; };
    menu_->Walked = [this] { return ScanFiles->ShownWalked; };
    surgery_ = std::make_unique<SubtreeSurgery>(*this, *TreeView1, *graph_, *graphIndex_,
                                                *PaintBox1, *StatusBar1);
    menu_->Busy = [this] { return Scanning() || SortPending() || surgery_->Running(); };
    connect(menu_, &NodeMenu::RescanRequested, this, &TfrmMain::RescanNode);
    connect(menu_, &NodeMenu::TrashRequested, this, &TfrmMain::TrashNode);
    connect(menu_, &NodeMenu::DeleteRequested, this, &TfrmMain::DeleteNode);
    graphGrowth_ = GraphGrowth::Of([this] { return comparison_.get(); });
    graph_->Growth = [this] { return comparison_ != nullptr ? &graphGrowth_ : nullptr; };
    comparing_ = new CompareControl(*this);
    menu_->Menu().addSeparator();
    menu_->Menu().addAction(&comparing_->ToggleAction());
    menu_->Menu().addAction(&ScanFiles->Kept().CompareAction());
    InstallSizeBasis(this);
}

TfrmMain::~TfrmMain() {
    graph_->ShownRoot = {};  // the page goes with the controls, after the records
    menu_->FinishedRoot = {};
    // A window that goes without a close ends its scan the same way, before its controls go.
    if (SearchThread != nullptr) {
        SearchThread->StatusBar = nullptr;
        StopThread(std::move(SearchThread));
    }
    ReplaceShownTree(nullptr, false);
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
    if (SearchThread != nullptr || surgery_->Running()) {
        return;
    }
    ScanFiles->StopOpen();  // the last asked for is shown
    ReplaceShownTree(std::make_unique<TFileAttr>(), false);
    SearchThread = std::make_unique<TSearchThread>(true, RootAttr.get());
    SearchThread->Drive = DriveComboBox1->SelectedDrive();
    SearchThread->SetOnFinished([this](TThread& sender) { SearchDone(sender); });
    SearchThread->StatusBar = StatusBar1;
    SearchThread->Start();
    ControlStates::Update(*this, true, false);
}

std::shared_ptr<TFileAttr> TfrmMain::FinishedTree() const {
    return finished_ ? RootAttr : nullptr;
}

void TfrmMain::ReplaceShownTree(std::unique_ptr<TFileAttr> next, bool finished) {
    surgery_->Drop();
    if (SearchThread != nullptr) {
        SearchThread->StatusBar = nullptr;
        StopThread(std::move(SearchThread));
    }
    sorting_->Discard();
    place_->Drop();
    graphIndex_->Clear();
    graph_->TreeDropping();
    menu_->Dismiss();
    TreeNodeModel& listing = TreeView1->Model();
    if (listing.Deferring()) {
        ClearNodes(*TreeView1);  // half a listing of records about to go would mislead
    }
    savesReadingShown_ = 0;
    resortAfterSave_ = false;
    comparing_->TreeDropping();
    CompareControl::Release(std::move(comparison_));
    // However large, freed on another thread, and only once a save still reading it has ended.
    BackgroundReleaser::Instance().Release(std::exchange(RootAttr, std::move(next)));
    finished_ = finished && RootAttr != nullptr;
    PaintBox1->Invalidate();
    ControlStates::Update(*this, false, finished_);
}

void TfrmMain::SaveStarted(const TFileAttr* records) {
    if (records != RootAttr.get()) {
        return;
    }
    ++savesReadingShown_;
    if (sorting_->Pending()) {
        sorting_->Discard();
        resortAfterSave_ = true;
    }
}

void TfrmMain::SaveEnded(const TFileAttr* records) {
    if (records != RootAttr.get() || savesReadingShown_ == 0 || --savesReadingShown_ > 0) {
        return;
    }
    if (std::exchange(resortAfterSave_, false)) {
        Resort();
    }
}

void TfrmMain::btnStopClick() {
    if (SearchThread == nullptr) {
        surgery_->Stop();
        return;
    }
    // Swapped here on the user-interface thread, where the completion is delivered too, so a
    // walk that ends on its own after the click still reports the interruption.
    SearchThread->SetOnFinished([this](TThread& sender) { SearchAborted(sender); });
    SearchThread->RequestStop();
}

void TfrmMain::SearchDone(TThread& /*sender*/) {
    finished_ = RootAttr->Searched;  // the worker's writes are ours since its completion
    ScanFiles->ScanFinished(SearchThread->Drive);
    if (finished_) {
        surgery_->ScanFinished(SearchThread->Drive);
    }
    StatusBar1->SetSimpleText("探索完了");
    RefreshTree();
    SearchThread.reset();
    ControlStates::Update(*this, false, finished_);
    comparing_->TreeFinished();
}

void TfrmMain::SearchAborted(TThread& /*sender*/) {
    StatusBar1->SetSimpleText("探索中断");
    SearchThread.reset();
    ControlStates::Update(*this, false, finished_);
}

void TfrmMain::StopThread(std::unique_ptr<TSearchThread> thread) {
    if (thread == nullptr) {
        return;
    }
    thread->SetOnFinished({});
    thread->RequestStop();
    thread->AwaitEnd();
}

void TfrmMain::FormCloseQuery(bool& canClose) {
    canClose = true;
    if (SearchThread != nullptr) {
        // Detached first, so the worker asks for no more status steps while we wait for it.
        SearchThread->StatusBar = nullptr;
        SearchThread->SetOnFinished({});
        SearchThread->RequestStop();
        // Stuck in the file system, it writes nothing anywhere: the program may go without it.
        TApplication::AwaitBodyOrLeave(*SearchThread);
        StopThread(std::move(SearchThread));
        SearchThread = nullptr;
    }
    // The records go first: a save abandoned afterwards asks for no sort of them.
    ReplaceShownTree(nullptr, false);
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
    BasisChanged();
}

void TfrmMain::rbCompressedSizeClick() {
    BasisChanged();
}

void TfrmMain::BasisChanged() {
    if (SortKey.empty() && comparison_ != nullptr && finished_) {
        RefreshTree();
        return;
    }
    Resort();
}

// Comparing.

void TfrmMain::CompareWithFile(const std::string& file) {
    comparing_->CompareWithFile(file);
}

void TfrmMain::ReplaceComparison(std::unique_ptr<ScanComparison> next) {
    sorting_->Discard();
    if (TreeView1->Model().Deferring()) {
        ClearNodes(*TreeView1);  // its steps read the comparison
    }
    if (finished_) {
        place_->Capture(*RootAttr);
    }
    CompareControl::Release(std::exchange(comparison_, std::move(next)));
    graph_->GrowthChanged();
    if (!finished_) {
        return;
    }
    if (SortKey == "Growth" && savesReadingShown_ == 0) {
        Resort();  // lists when sorted
    } else {
        RefreshTree();
    }
}

void TfrmMain::RematchComparison(TFileAttr* changed, TFileAttr* alsoChanged) {
    if (comparison_ == nullptr || !finished_) {
        return;
    }
    for (TFileAttr* record : {changed, alsoChanged}) {
        if (record != nullptr) {
            comparison_->Rematch(*record);
        }
    }
    place_->Capture(*RootAttr);
    RefreshTree();
}

void TfrmMain::Resort() {
    if (SortKey.empty() || !finished_ || surgery_->Running()) {
        return;
    }
    if (savesReadingShown_ > 0) {
        resortAfterSave_ = true;
        return;
    }
    graphIndex_->Clear();
    place_->Capture(*RootAttr);  // while the listing still follows the records' order
    sorting_->Start(SortKey, *RootAttr, comparison_.get());
}

bool TfrmMain::SortPending() const {
    return sorting_->Pending() || resortAfterSave_;
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
    AddNodes(*RootAttr, nullptr);
    place_->Restore(*RootAttr);
    graph_->TreeChanged();
    PaintBox1->Invalidate();
}

void TfrmMain::AddNodes(const TFileAttr& record, TTreeNode* parent) {
    zelk::AddNodes(*TreeView1, record, *RootAttr, parent, comparison_.get());
}

std::string TfrmMain::FormatSize(long double value) const {
    return zelk::FormatSize(value);
}

// Graph.

void TfrmMain::PaintBox1Paint() {
    graph_->Paint();
}

void TfrmMain::DrawAttr(const TFileAttr& record, int top, int colourIndex) {
    GraphPainter(PaintBox1->Canvas(), PaintBox1->Width(), PaintBox1->Height(), *RootAttr)
        .DrawAttr(record, top, colourIndex);
}

std::int32_t TfrmMain::BarHeight(const TFileAttr& record) const {
    return zelk::BarHeight(record, *RootAttr, PaintBox1->Height());
}

QColor TfrmMain::GraphColor(int index) const {
    return zelk::GraphColor(index);
}

}  // namespace zelk
