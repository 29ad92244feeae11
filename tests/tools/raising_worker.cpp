// Helper of the real-window tests: the real application frame with a worker whose body raises,
// so that the test sees the last-chance box, the report on standard error and exit code 1.

#include <QApplication>

#include "app/TApplication.h"
#include "runtime/Errors.h"
#include "runtime/TThread.h"

namespace {

class RaisingWorker : public zelk::TThread {
  public:
    RaisingWorker() : TThread(true) {}

  protected:
    void Run() override { throw zelk::EConvertError("壊れた日付"); }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication events(argc, argv);
    zelk::TApplication application(QCoreApplication::applicationFilePath().toStdString());
    RaisingWorker worker;
    worker.Start();
    QApplication::exec();
    return 0;  // not reached: the report ends the process
}
