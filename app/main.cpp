// ZELK: shows how the space of one drive is spread over its directory tree.

#include <unistd.h>

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "app/CommandLine.h"
#include "app/DisplayConnection.h"
#include "app/ErrorGuard.h"
#include "app/FolderScan.h"
#include "app/ScanFileControl.h"
#include "app/TApplication.h"
#include "app/TEventApplication.h"
#include "app/TfrmMain.h"
#include "app/WindowSettings.h"
#include "runtime/LastChanceReport.h"
#include "runtime/LocaleFormats.h"
#include "scanfile/GrowthReport.h"
#include "scanfile/ScanExport.h"
#include "scanfile/TerminalProgress.h"

namespace {

// An address inside the program, for a report made before the application object exists.
void StartUp() {}

// zelk --export FILE [DIRECTORY]: no window, no display; progress only on a terminal.
int ExportMain(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "zelk: 使い方: zelk --export FILE [DIRECTORY]\n");
        return 1;
    }
    try {
        zelk::TerminalProgress progress(stderr);
        zelk::ExportScan(argv[2], argc == 4 ? argv[3] : "",
                         ::isatty(STDERR_FILENO) != 0 ? &progress : nullptr);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zelk: %s\n", error.what());
    }
    return 1;
}

// zelk --compare OLD NEW --top N: no window, no display.
int CompareTopMain(const zelk::CommandLine& line) {
    if (!line.Refusal.empty()) {
        std::fprintf(stderr, "%s\n", line.Refusal.c_str());
        return 1;
    }
    try {
        zelk::GrowthReport::Print(
            line.Baseline, line.File, line.Top,
            line.CompressedBasis ? zelk::SizeBasis::Compressed : zelk::SizeBasis::Size, stdout);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zelk: %s\n", error.what());
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zelk;
    // Decided before any toolkit object exists: the export runs where there is no display, and
    // the toolkit ends the process when it finds none.
    const CommandLine line = CommandLine::Parse(argc, argv);
    switch (line.What) {
        case CommandLine::Action::Export:
            return ExportMain(argc, argv);
        case CommandLine::Action::CompareTop:
            return CompareTopMain(line);
        case CommandLine::Action::Help:
            std::fputs(CommandLine::Usage().c_str(), stdout);
            return 0;
        case CommandLine::Action::Version:
            std::fputs(CommandLine::VersionText().c_str(), stdout);
            return 0;
        case CommandLine::Action::Refuse:
            std::fprintf(stderr, "%s\n%s", line.Refusal.c_str(), CommandLine::Usage().c_str());
            return 2;
        case CommandLine::Action::Window:
            break;
    }
    if (!DisplayConnection::Reachable(line.Platform, line.Display)) {
        std::fprintf(stderr,
                     "zelk: ディスプレイに接続できません (ウィンドウなしの探索は zelk --export)\n");
        return 1;
    }
    try {
        LoadSystemLocale();
        LoadLocaleNames();
        LoadLocaleFormats();
    } catch (...) {
        // No application object yet to show a box: the report goes to standard error alone.
        const CodeLocation where = LocateCode(reinterpret_cast<const void*>(&StartUp));
        std::fprintf(
            stderr, "%s\n",
            LastChanceText(std::current_exception(), where.moduleFile, where.relativeAddress)
                .c_str());
        return 1;
    }
    TEventApplication events(argc, argv);
    // The toolkit's own dialogs and buttons speak the window's language, whatever the desktop's.
    QTranslator toolkitTexts;
    if (toolkitTexts.load(QLocale(QLocale::Japanese, QLocale::Japan), "qtbase", "_",
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&toolkitTexts);
    }
    TApplication application(QCoreApplication::applicationFilePath().toStdString());
    try {
        TfrmMain* frmMain = nullptr;
        application.CreateMainWindow(frmMain);
        if (frmMain != nullptr) {
            new WindowSettings(*frmMain, WindowSettings::DefaultFile());
        }
        if (!line.File.empty() && frmMain != nullptr) {
            const std::string file = line.File;
            const std::string baseline = line.Baseline;
            QTimer::singleShot(0, frmMain, [frmMain, file, baseline] {
                Guarded([frmMain, &file, &baseline] {
                    if (!baseline.empty()) {
                        frmMain->CompareWithFile(baseline);  // once file's tree has finished
                    }
                    if (file == "-" || !frmMain->Folders().ScanIfFolder(file)) {
                        frmMain->ScanFiles->Open(file);
                    }
                });
            });
        }
        return application.Run();
    } catch (...) {
        application.ReportUnhandled(std::current_exception(), true);
    }
    return 1;
}
