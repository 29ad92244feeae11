#pragma once
// The main window of an application object over one drive, a fresh directory that each test
// fills, with the error boxes recorded instead of shown; the window's work waited for, its
// status line and listing read, files dropped onto it.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/KeptScanControl.h"
#include "app/ScanFileControl.h"
#include "app/TApplication.h"
#include "app/TStatusBar.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "drives/TDriveComboBox.h"
#include "platform/VolumeTable.h"
#include "runtime/TThread.h"
#include "scanfile/ScanFileTestSupport.h"

namespace zelk::test {

template <typename Condition>
bool PumpUntil(Condition done, std::chrono::seconds limit = std::chrono::seconds(60)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return done();
}

class WindowFixture : public ::testing::Test {
  protected:
    explicit WindowFixture(char letter) : application_("/usr/bin/zelk"), letter_(letter) {
        application_.SetBoxPresenter([this](QWidget*, const QString&, const QString& text) {
            boxes_.push_back(text.toStdString());
        });
    }

    void SetUp() override {
        // Workers released from their own completion handler end on their own.
        ASSERT_TRUE(PumpUntil([] { return TThread::WorkerCount() == 0; }));
        InstallVolumeTable(std::make_shared<VolumeTable>(
            std::vector<Volume>{{letter_, DriveKind::Fixed, root_, "test", "ext4"}}));
        application_.CreateMainWindow(form_);
        form_->Controls().DriveComboBox1->SelectDrive(letter_);
    }

    void TearDown() override { InstallVolumeTable(std::make_shared<VolumeTable>()); }

    // No scan, open, save, keep, sort or listing in steps runs.
    bool Idle() const {
        return !form_->Scanning() && !form_->ScanFiles->Opening() && !form_->ScanFiles->Saving() &&
               !form_->ScanFiles->Kept().Keeping() && !form_->SortPending() &&
               !form_->Controls().TreeView1->Model().Deferring();
    }
    bool Settle(std::chrono::seconds limit = std::chrono::seconds(60)) {
        return PumpUntil([this] { return Idle(); }, limit);
    }
    const std::string& Status() const { return form_->Controls().StatusBar1->SimpleText(); }
    // Every node's text, depth first.
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (int i = 0; i < form_->Controls().TreeView1->Count(); ++i) {
            texts.push_back(form_->Controls().TreeView1->Item(i)->Text());
        }
        return texts;
    }
    // As a file manager drops it onto the window.
    void Drop(const std::string& file) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(file))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(form_, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form_, &drop);
        Settle();
    }

    TApplication application_;
    const char letter_;
    TfrmMain* form_ = nullptr;
    std::vector<std::string> boxes_;
    const TempDir temp_;
    const std::string dir_ = temp_.Path();
    const std::string root_ = dir_ + "/vol";
};

}  // namespace zelk::test
