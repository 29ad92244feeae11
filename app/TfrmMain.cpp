#include "app/TfrmMain.h"

#include <QCloseEvent>
#include <QPushButton>

#include "app/ErrorGuard.h"
#include "app/MainFormLayout.h"
#include "app/TApplication.h"
#include "app/TImageList.h"
#include "app/TPageControl.h"
#include "app/TPaintBox.h"
#include "app/TPanel.h"
#include "app/TRadioButton.h"
#include "app/TStatusBar.h"
#include "app/TTreeView.h"
#include "drives/TDriveComboBox.h"

namespace zelk {

TfrmMain::TfrmMain() {
    BuildMainForm(*this);
    WireEvents();
    InstallSizeBasis(this);
}

TfrmMain::~TfrmMain() {
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

bool TfrmMain::CompressedBasis() const {
    return rbCompressedSize->isChecked();
}

// Scan control.

void TfrmMain::FormCreate() {
    PageControl1->SetActivePage(TabSheet1);
}

void TfrmMain::btnStartClick() {}

void TfrmMain::btnStopClick() {}

void TfrmMain::FormCloseQuery(bool& /*canClose*/) {}

void TfrmMain::TreeView1Click() {
    StatusBar1->SetSimpleText(TreeView1->Hint());
}

// Sorting.

void TfrmMain::btnSortBySizeClick() {}

void TfrmMain::btnSortByDateClick() {}

void TfrmMain::rbFileSizeClick() {}

void TfrmMain::rbCompressedSizeClick() {}

// Graph.

void TfrmMain::PaintBox1Paint() {}

}  // namespace zelk
