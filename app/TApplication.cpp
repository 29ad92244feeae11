#include "app/TApplication.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QWidget>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "app/AppTexts.h"
#include "app/DisplayConnection.h"
#include "app/ErrorGuard.h"
#include "app/Pictures.h"
#include "app/TfrmMain.h"
#include "app/UiRelay.h"
#include "runtime/Errors.h"
#include "runtime/LastChanceReport.h"
#include "runtime/TThread.h"

namespace zelk {
namespace {

TApplication* instance = nullptr;

constexpr auto kHandoverWait = std::chrono::seconds(2);
constexpr auto kBodyWait = std::chrono::seconds(1);
const char* const kLastChanceCaption = "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ";

QString Display(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void PresentBox(QWidget* owner, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, owner);
    // Every window of the program waits for the box; its loop still serves a running worker.
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

[[noreturn]] void EndProcess() {
    std::fflush(stderr);
    std::_Exit(1);
}

}  // namespace

TApplication::TApplication(std::string programFile)
    : programFile_(std::move(programFile)),
      title_(AppTitleOf(programFile_)),
      presenter_(PresentBox),
      relay_(std::make_unique<UiRelay>()) {
    instance = this;
    TThread::RecordUiThread();
    TThread::SetLastChanceHook([this](std::exception_ptr error) { ReportFromAnyThread(error); });
    QApplication::setWindowIcon(QIcon(AppIconPicture()));
}

TApplication::~TApplication() {
    mainWindow_.reset();
    TThread::SetLastChanceHook({});
    relay_.reset();
    instance = nullptr;
}

TApplication* TApplication::Instance() {
    return instance;
}

void TApplication::CreateMainWindow(TfrmMain*& reference) {
    reference = nullptr;
    auto window = std::make_unique<TfrmMain>();
    reference = window.get();
    if (!mainWindow_) {
        mainWindow_ = std::move(window);
    } else {
        window.release()->setAttribute(Qt::WA_DeleteOnClose);
    }
    Guarded([reference] { reference->FormCreate(); });
}

QWidget* TApplication::MainWindow() const {
    return mainWindow_.get();
}

int TApplication::Run() {
    if (mainWindow_) {
        mainWindow_->show();
    }
    return QApplication::exec();
}

void TApplication::RequestQuit() {
    QCoreApplication::quit();
}

void TApplication::AwaitBodyOrLeave(const TThread& thread) {
    const auto end = std::chrono::steady_clock::now() + kBodyWait;
    while (!thread.BodyDone()) {
        if (std::chrono::steady_clock::now() >= end) {
            EndLeavingWorkers();
        }
        TThread::ServePendingSteps();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

void TApplication::EndLeavingWorkers() {
    DisplayConnection::Shut();
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(0);
}

void TApplication::HandleError(std::exception_ptr error) {
    if (QWidget* grabber = QWidget::mouseGrabber()) {
        grabber->releaseMouse();
    }
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
    } catch (const Exception& known) {
        ShowError(known);
    } catch (...) {
        ReportUnhandled(error, false);
    }
}

void TApplication::ShowError(const Exception& error) {
    presenter_(MainWindow(), Display(title_), Display(ErrorBoxText(error.Message())));
}

void TApplication::ReportUnhandled(std::exception_ptr error, bool lastChance) {
    const CodeLocation where = LocateCode(__builtin_return_address(0));
    const std::string text = LastChanceText(error, where.moduleFile, where.relativeAddress);
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    presenter_(nullptr, Display(kLastChanceCaption), Display(text));
    if (lastChance) {
        EndProcess();
    }
}

void TApplication::ReportFromAnyThread(std::exception_ptr error) {
    if (TThread::OnUiThread()) {
        ReportUnhandled(error, true);
    }
    // The box belongs on the user-interface thread. Should that thread not take the report (it
    // may be waiting for this very worker), the text is on standard error and the process ends.
    const CodeLocation where = LocateCode(__builtin_return_address(0));
    const std::string text = LastChanceText(error, where.moduleFile, where.relativeAddress);
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
    const bool taken = relay_->HandOver(
        [this, text] {
            presenter_(nullptr, Display(kLastChanceCaption), Display(text));
            EndProcess();
        },
        kHandoverWait);
    if (!taken) {
        EndProcess();
    }
    while (true) {
        std::this_thread::sleep_for(std::chrono::hours(1));
    }
}

}  // namespace zelk
