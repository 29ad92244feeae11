// ZELK: shows how the space of one drive is spread over its directory tree.

#include <QApplication>
#include <cstdio>
#include <exception>

#include "app/TApplication.h"
#include "app/TEventApplication.h"
#include "app/TfrmMain.h"
#include "runtime/LastChanceReport.h"
#include "runtime/LocaleFormats.h"

namespace {

// An address inside the program, for a report made before the application object exists.
void StartUp() {}

}  // namespace

int main(int argc, char** argv) {
    using namespace zelk;
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
    TApplication application(QCoreApplication::applicationFilePath().toStdString());
    try {
        TfrmMain* frmMain = nullptr;
        application.CreateMainWindow(frmMain);
        return application.Run();
    } catch (...) {
        application.ReportUnhandled(std::current_exception(), true);
    }
    return 1;
}
