#pragma once
// The main window of an application object over one drive, a fresh directory that each test
// fills, with the error boxes recorded instead of shown.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/TApplication.h"
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

    TApplication application_;
    const char letter_;
    TfrmMain* form_ = nullptr;
    std::vector<std::string> boxes_;
    const TempDir temp_;
    const std::string dir_ = temp_.Path();
    const std::string root_ = dir_ + "/vol";
};

}  // namespace zelk::test
