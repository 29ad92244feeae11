#pragma once
// The application object: its title, the one main window, the message loop, and the handling of
// errors: those escaping a handler are shown in the error box and the program goes on; those
// that escape everything get the last-chance report and end the process with exit code 1.

#include <QString>
#include <exception>
#include <functional>
#include <memory>
#include <string>

class QWidget;

namespace zelk {

class Exception;
class TfrmMain;
class TThread;
class UiRelay;

class TApplication {
  public:
    // Shows a message box; the default is a modal QMessageBox with the stop icon. Tests install
    // one that records instead of blocking.
    using BoxPresenter =
        std::function<void(QWidget* owner, const QString& caption, const QString& text)>;

    // Needs the QApplication to exist. Records the user-interface thread, installs the frame's
    // wake-up and last-chance hooks and the application icon.
    explicit TApplication(std::string programFile);
    ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    static TApplication* Instance();

    const std::string& AppTitle() const { return title_; }
    const std::string& ProgramFile() const { return programFile_; }
    void SetBoxPresenter(BoxPresenter presenter) { presenter_ = std::move(presenter); }

    // Builds the window into reference (set before its creation handler runs), which becomes
    // the main window; an error of the creation handler is shown and start-up goes on. If the
    // layout itself fails, reference is left null and the error passed on.
    void CreateMainWindow(TfrmMain*& reference);
    QWidget* MainWindow() const;
    // Shows the main window and runs the loop until it quits; the exit code.
    int Run();
    void RequestQuit();
    // Ends the program now with exit code 0, leaving behind a worker stuck in the file system:
    // the display connection goes first, and with it every window, since the process itself is
    // only gone once the kernel lets that worker go.
    [[noreturn]] static void EndLeavingWorkers();
    // For a close: serves the worker's steps until its body has returned (asked to stop
    // before). A worker still in its body after about a second is stuck in the kernel (a hung
    // mount, a FIFO without a writer), and the program ends without it.
    static void AwaitBodyOrLeave(const TThread& thread);

    void HandleError(std::exception_ptr error);
    void ShowError(const Exception& error);
    // lastChance: the error escaped everything; the process ends with exit code 1 once the box
    // is closed. Otherwise (a foreign object from a handler) the program goes on.
    void ReportUnhandled(std::exception_ptr error, bool lastChance);

    // The frame's last-chance hook: on a worker thread the report is handed to the
    // user-interface thread, and the worker waits for the process to end.
    void ReportFromAnyThread(std::exception_ptr error);

  private:
    std::string programFile_;
    std::string title_;
    BoxPresenter presenter_;
    std::unique_ptr<UiRelay> relay_;
    std::unique_ptr<TfrmMain> mainWindow_;
};

}  // namespace zelk
