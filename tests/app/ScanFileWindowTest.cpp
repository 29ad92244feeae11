// Guards scan files in the window: a scan saved and opened again shows the same node texts and
// bars on both size bases and after sorting, in every format; a bad file dropped onto the
// window ends in its error box and leaves what was shown; opening and scanning exclude each
// other; and the command line's export without a display equals the window's save.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/ScanFileControl.h"
#include "app/TApplication.h"
#include "app/TRadioButton.h"
#include "app/TStatusBar.h"
#include "app/TTreeView.h"
#include "app/TfrmMain.h"
#include "drives/TDriveComboBox.h"
#include "platform/VolumeTable.h"
#include "scanfile/ScanFileTestSupport.h"

namespace zelk {
namespace {

constexpr char kLetter = 'q';
using test::ReadBytes;
using test::Shell;

class ScanFileWindow : public ::testing::Test {
  protected:
    ScanFileWindow() : application_("/usr/bin/zelk") {
        application_.SetBoxPresenter([this](QWidget*, const QString&, const QString& text) {
            boxes_.push_back(text.toStdString());
        });
    }

    void SetUp() override {
        root_ = test::MakeSampleTree(dir_);
        InstallVolumeTable(std::make_shared<VolumeTable>(
            std::vector<Volume>{{kLetter, DriveKind::Fixed, root_, "test", "ext4"}}));
        application_.CreateMainWindow(form_);
        ASSERT_NE(form_, nullptr);
        form_->DriveComboBox1->SelectDrive(kLetter);
    }

    void TearDown() override { InstallVolumeTable(std::make_shared<VolumeTable>()); }

    // Serves the event loop until neither a scan nor an open is running.
    void Settle() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while ((form_->SearchThread != nullptr || form_->ScanFiles->Opening()) &&
               std::chrono::steady_clock::now() < deadline) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    }

    void ScanToTheEnd() {
        form_->btnStartClick();
        Settle();
        ASSERT_EQ(form_->StatusBar1->SimpleText(), "探索完了");
    }

    void Open(const std::string& file) {
        form_->ScanFiles->Open(file);
        Settle();
    }

    // What the window shows: every node text, then every bar height on both size bases.
    std::vector<std::string> Shown() {
        std::vector<std::string> shown;
        for (int i = 0; i < form_->TreeView1->Count(); ++i) {
            shown.push_back(form_->TreeView1->Item(i)->Text());
        }
        for (TRadioButton* basis : {form_->rbCompressedSize, form_->rbFileSize}) {
            basis->setChecked(true);
            std::vector<const TFileAttr*> pending{form_->RootAttr.get()};
            while (!pending.empty()) {
                const TFileAttr* record = pending.back();
                pending.pop_back();
                shown.push_back(std::to_string(form_->BarHeight(*record)));
                for (const auto& child : record->Children) {
                    pending.push_back(child.get());
                }
            }
        }
        return shown;
    }

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
    TfrmMain* form_ = nullptr;
    std::vector<std::string> boxes_;
    const test::TempDir temp_;
    const std::string dir_ = temp_.Path();
    std::string root_;
};

// Every format reads back the same records (the scan-file tests); the window shows them alike.
TEST_F(ScanFileWindow, SavedScanOpensShowingTheSameTextsAndBarsBeforeAndAfterSorting) {
    ScanToTheEnd();
    const std::vector<std::string> scanned = Shown();
    ASSERT_EQ(form_->TreeView1->Count(), 7);
    form_->btnSortBySizeClick();
    const std::vector<std::string> sorted = Shown();
    form_->SortKey.clear();
    ScanToTheEnd();
    const std::string file = dir_ + "/s.json.zst";
    form_->ScanFiles->SaveTo(file);
    Open(file);
    EXPECT_EQ(form_->StatusBar1->SimpleText(), "読込完了: " + file);
    EXPECT_EQ(Shown(), scanned);
    form_->btnSortBySizeClick();
    EXPECT_EQ(Shown(), sorted);
    EXPECT_TRUE(boxes_.empty());
}

// The reasons themselves are the reader's tests; here a missing and a malformed file.
TEST_F(ScanFileWindow, ABadFileEndsInItsErrorBoxAndTheWindowKeepsWhatItShowed) {
    ScanToTheEnd();
    const std::string malformed = dir_ + "/malformed.json";
    std::ofstream(malformed) << R"([1,2,{},[{"name":"/"},}]])";
    const std::vector<std::string> before = Shown();
    const TFileAttr* shownRoot = form_->RootAttr.get();
    const std::string status = form_->StatusBar1->SimpleText();
    for (const std::string& file : {dir_ + "/missing.json", malformed}) {
        boxes_.clear();
        Drop(file);
        ASSERT_EQ(boxes_.size(), 1u) << file;
        EXPECT_EQ(boxes_[0].rfind("ファイル「" + file + "」を読めません: ", 0), 0u) << boxes_[0];
        EXPECT_EQ(form_->RootAttr.get(), shownRoot) << file;
        EXPECT_EQ(form_->StatusBar1->SimpleText(), status) << file;
        EXPECT_EQ(Shown(), before) << file;
    }
}

TEST_F(ScanFileWindow, OpeningAndScanningRefuseEachOtherAndSavingNeedsAFinishedScan) {
    const std::string file = dir_ + "/s.json";
    form_->ScanFiles->SaveTo(file);  // nothing scanned yet
    EXPECT_FALSE(std::filesystem::exists(file));
    ScanToTheEnd();
    form_->ScanFiles->SaveTo(file);
    // The worker waits at its first status step until the loop serves it.
    form_->btnStartClick();
    const TFileAttr* scanning = form_->RootAttr.get();
    form_->ScanFiles->Open(file);
    EXPECT_FALSE(form_->ScanFiles->Opening());
    form_->ScanFiles->SaveTo(dir_ + "/during.json");
    EXPECT_FALSE(std::filesystem::exists(dir_ + "/during.json"));
    Settle();
    // And no scan starts while a file opens.
    form_->ScanFiles->Open(file);
    form_->btnStartClick();
    EXPECT_EQ(form_->SearchThread, nullptr);
    Settle();
    EXPECT_NE(form_->RootAttr.get(), scanning);
    EXPECT_EQ(form_->StatusBar1->SimpleText(), "読込完了: " + file);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(ScanFileWindow, ExportWithoutADisplayEqualsTheWindowsSave) {
    ScanToTheEnd();
    form_->ScanFiles->SaveTo(dir_ + "/window.json");
    ASSERT_EQ(
        Shell("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " ZELK_PROGRAM " --export " +
              dir_ + "/command.json " + root_ + " 2>" + dir_ + "/err"),
        0)
        << ReadBytes(dir_ + "/err");
    EXPECT_EQ(ReadBytes(dir_ + "/err"), "") << "progress only on a terminal";
    // The two differ only in when they were written.
    const auto undated = [](std::string text) {
        const std::size_t at = text.find("\"timestamp\":");
        return at == std::string::npos ? text : text.erase(at, text.find('}', at) - at);
    };
    EXPECT_EQ(undated(ReadBytes(dir_ + "/command.json")),
              undated(ReadBytes(dir_ + "/window.json")));
    EXPECT_EQ(Shell(ZELK_PROGRAM " --export " + dir_ + "/no/such/dir.json " + root_ + " 2>" + dir_ +
                    "/err"),
              1);
    const std::string message = ReadBytes(dir_ + "/err");
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
}

}  // namespace
}  // namespace zelk
