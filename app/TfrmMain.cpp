#include "app/TfrmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPushButton>
#include <QTabBar>
#include <algorithm>
#include <vector>

#include "app/ErrorGuard.h"
#include "app/GraphPainter.h"
#include "app/MainFormLayout.h"
#include "app/RecordSorter.h"
#include "app/ScanFileControl.h"
#include "app/TApplication.h"
#include "app/TImageList.h"
#include "app/TPageControl.h"
#include "app/TPaintBox.h"
#include "app/TPanel.h"
#include "app/TRadioButton.h"
#include "app/TStatusBar.h"
#include "app/TTreeView.h"
#include "app/TreeListing.h"
#include "drives/TDriveComboBox.h"

namespace zelk {

TfrmMain::TfrmMain(int textHeight) {
    BuildMainForm(*this, textHeight);
    WireEvents();
    InstallSizeBasis(this);
}

TfrmMain::~TfrmMain() {
    // A window that goes without a close ends its scan the same way, before its controls go.
    if (SearchThread != nullptr) {
        SearchThread->StatusBar = nullptr;
        StopThread(std::move(SearchThread));
    }
    if (InstalledSizeBasis() == this) {
        InstallSizeBasis(nullptr);
    }
}

void TfrmMain::WireEvents() {
    const auto wire = [this](auto* source, auto signal, void (TfrmMain::*handler)()) {
        connect(source, signal, this,
                [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
    };
    wire(btnStart, &QPushButton::clicked, &TfrmMain::btnStartClick);
    wire(btnStop, &QPushButton::clicked, &TfrmMain::btnStopClick);
    wire(btnSortBySize, &QPushButton::clicked, &TfrmMain::btnSortBySizeClick);
    wire(btnSortByDate, &QPushButton::clicked, &TfrmMain::btnSortByDateClick);
    wire(rbFileSize, &TRadioButton::Click, &TfrmMain::rbFileSizeClick);
    wire(rbCompressedSize, &TRadioButton::Click, &TfrmMain::rbCompressedSizeClick);
    wire(TreeView1, &TTreeView::Click, &TfrmMain::TreeView1Click);
    // The surface guards its own paints: an error there is shown after the paint has ended.
    PaintBox1->OnPaint = [this] { PaintBox1Paint(); };
    ScanFiles = std::make_unique<ScanFileControl>(*this);
}

void TfrmMain::SetBandHeights(int top, int bottom) {
    topBandHeight_ = top;
    bottomBandHeight_ = bottom;
    Align();
}

void TfrmMain::Align() {
    const int w = width();
    const int h = height();
    Panel1->setGeometry(0, 0, w, topBandHeight_);
    StatusBar1->setGeometry(0, h - bottomBandHeight_, w, bottomBandHeight_);
    PageControl1->setGeometry(0, topBandHeight_, w,
                              std::max(0, h - topBandHeight_ - bottomBandHeight_));
}

void TfrmMain::resizeEvent(QResizeEvent* /*event*/) {
    Align();
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
    std::vector<QWidget*> stops = {DriveComboBox1,
                                   btnStart,
                                   btnStop,
                                   btnSortBySize,
                                   btnSortByDate,
                                   rbCompressedSize->isChecked() ? rbCompressedSize : rbFileSize,
                                   PageControl1->tabBar()};
    if (PageControl1->ActivePage() == TabSheet1) {
        stops.push_back(TreeView1);
    }
    QWidget* focused = QApplication::focusWidget();
    auto at = std::find(stops.begin(), stops.end(), focused);
    if (at == stops.end()) {
        // Focus in a control that is no stop of its own (the unchecked radio button): from its
        // place in the band.
        at = std::find(stops.begin(), stops.end(),
                       focused == rbFileSize || focused == rbCompressedSize ? stops[5] : nullptr);
    }
    const auto count = static_cast<long>(stops.size());
    const long from = at == stops.end() ? (next ? -1 : 0) : at - stops.begin();
    stops[static_cast<std::size_t>((from + (next ? 1 : -1) + count) % count)]->setFocus(
        next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
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
    if (SearchThread != nullptr || ScanFiles->Opening()) {
        return;
    }
    // The old tree goes before the new one is made; the tree control keeps its own node texts.
    RootAttr.reset();
    RootAttr = std::make_unique<TFileAttr>();
    SearchThread = std::make_unique<TSearchThread>(true, RootAttr.get());
    SearchThread->Drive = DriveComboBox1->SelectedDrive();
    SearchThread->SetOnFinished([this](TThread& sender) { SearchDone(sender); });
    SearchThread->StatusBar = StatusBar1;
    SearchThread->Start();
}

void TfrmMain::btnStopClick() {
    if (SearchThread == nullptr) {
        return;
    }
    // Swapped here on the user-interface thread, where the completion is delivered too, so a
    // walk that ends on its own after the click still reports the interruption.
    SearchThread->SetOnFinished([this](TThread& sender) { SearchAborted(sender); });
    SearchThread->RequestStop();
}

void TfrmMain::SearchDone(TThread& /*sender*/) {
    ScanFiles->ScanFinished(SearchThread->Drive);
    StatusBar1->SetSimpleText("探索完了");
    RefreshTree();
    SearchThread.reset();
}

void TfrmMain::SearchAborted(TThread& /*sender*/) {
    StatusBar1->SetSimpleText("探索中断");
    SearchThread.reset();
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
        StopThread(std::move(SearchThread));
        SearchThread = nullptr;
    }
    RootAttr.reset();
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

void TfrmMain::rbFileSizeClick() {
    Resort();
}

void TfrmMain::rbCompressedSizeClick() {
    Resort();
}

void TfrmMain::Resort() {
    if (SortKey.empty() || RootAttr == nullptr || !RootAttr->Searched) {
        return;
    }
    SortAttr(*RootAttr);
    RefreshTree();
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
    AddNodes(*RootAttr, nullptr);
    PaintBox1->Invalidate();
}

void TfrmMain::AddNodes(const TFileAttr& record, TTreeNode* parent) {
    zelk::AddNodes(*TreeView1, record, *RootAttr, parent);
}

std::string TfrmMain::FormatSize(long double value) const {
    return zelk::FormatSize(value);
}

// Graph.

void TfrmMain::PaintBox1Paint() {
    PaintGraph(PaintBox1->Canvas(), PaintBox1->Width(), PaintBox1->Height(), RootAttr.get());
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
