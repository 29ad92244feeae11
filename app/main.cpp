// ZELK: shows how the space of one drive is spread over its directory tree.

#include <QApplication>
#include <exception>

#include "app/TApplication.h"
#include "app/TEventApplication.h"
#include "app/TfrmMain.h"
#include "runtime/LocaleFormats.h"

int main(int argc, char** argv) {
    using namespace zelk;
    // Outside the application object's reach: the frame's own last-chance report is the default.
    LoadSystemLocale();
    LoadLocaleNames();
    LoadLocaleFormats();
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
