#include "app/ScanControl.h"

#include <utility>

#include "app/BackgroundReleaser.h"
#include "app/CompareControl.h"
#include "app/ControlStates.h"
#include "app/GraphPage.h"
#include "app/ListingOrder.h"
#include "app/NodeMenu.h"
#include "app/ScanFileControl.h"
#include "app/SubtreeSurgery.h"
#include "app/TApplication.h"
#include "app/TPaintBox.h"
#include "app/TStatusBar.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "app/TreeListing.h"
#include "app/ViewPlace.h"
#include "app/WideListIndex.h"
#include "drives/TDriveComboBox.h"

namespace zelk {

ScanControl::ScanControl(TfrmMain& form, WideListIndex& graphIndex)
    : form_(form), graphIndex_(graphIndex) {}

ScanControl::~ScanControl() = default;

void ScanControl::Start() {
    if (SearchThread != nullptr || form_.Actions().Running()) {
        return;
    }
    form_.ScanFiles->StopOpen();  // the last asked for is shown
    ReplaceShown(std::make_unique<TFileAttr>(), false);
    const MainFormControls& controls = form_.Controls();
    SearchThread = std::make_unique<TSearchThread>(true, RootAttr.get());
    SearchThread->Drive = controls.DriveComboBox1->SelectedDrive();
    SearchThread->SetOnFinished([this](TThread& sender) { form_.SearchDone(sender); });
    SearchThread->StatusBar = controls.StatusBar1;
    SearchThread->Start();
    ControlStates::Update(controls, true, false);
}

void ScanControl::ReplaceShown(std::unique_ptr<TFileAttr> next, bool finished) {
    form_.Actions().Drop();
    if (SearchThread != nullptr) {
        SearchThread->StatusBar = nullptr;
        StopThread(std::move(SearchThread));
    }
    form_.Place().Drop();
    graphIndex_.Clear();
    form_.Graph().TreeDropping();
    form_.Menu().Dismiss();
    const MainFormControls& controls = form_.Controls();
    if (controls.TreeView1->Model().Deferring()) {
        ClearNodes(*controls.TreeView1);  // half a listing of records about to go would mislead
    }
    form_.Comparing().TreeDropping();
    form_.Order().TreeDropping();
    // However large, freed on another thread, and only once a save still reading it has ended.
    BackgroundReleaser::Instance().Release(std::exchange(RootAttr, std::move(next)));
    finished_ = finished && RootAttr != nullptr;
    controls.PaintBox1->Invalidate();
    ControlStates::Update(controls, false, finished_);
}

void ScanControl::Stop() {
    if (SearchThread == nullptr) {
        form_.Actions().Stop();
        return;
    }
    // Swapped here on the user-interface thread, where the completion is delivered too, so a
    // walk that ends on its own after the click still reports the interruption.
    SearchThread->SetOnFinished([this](TThread& sender) { form_.SearchAborted(sender); });
    SearchThread->RequestStop();
}

void ScanControl::Done() {
    finished_ = RootAttr->Searched;  // the worker's writes are ours since its completion
    form_.ScanFiles->ScanFinished(SearchThread->Drive);
    if (finished_) {
        form_.Actions().ScanFinished(SearchThread->Drive);
    }
    form_.Controls().StatusBar1->SetSimpleText("探索完了");
    form_.RefreshTree();
    SearchThread.reset();
    ControlStates::Update(form_.Controls(), false, finished_);
    form_.Comparing().TreeFinished();
}

void ScanControl::Aborted() {
    form_.Controls().StatusBar1->SetSimpleText("探索中断");
    SearchThread.reset();
    ControlStates::Update(form_.Controls(), false, finished_);
}

void ScanControl::StopThread(std::unique_ptr<TSearchThread> thread) {
    if (thread == nullptr) {
        return;
    }
    thread->SetOnFinished({});
    thread->RequestStop();
    thread->AwaitEnd();
}

void ScanControl::Close() {
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
    ReplaceShown(nullptr, false);
}

void ScanControl::WindowGoing() {
    if (SearchThread != nullptr) {
        SearchThread->StatusBar = nullptr;
        StopThread(std::move(SearchThread));
    }
    ReplaceShown(nullptr, false);
}

}  // namespace zelk
