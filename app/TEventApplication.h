#pragma once
// The Qt application object of the program: an error that escapes the handling of any event
// goes to the application's error handling instead of ending the program.

#include <QApplication>

namespace zelk {

class TEventApplication : public QApplication {
    Q_OBJECT
  public:
    TEventApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace zelk
