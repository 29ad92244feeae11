// Guards opening a folder in the file manager: through a session bus of the test's own, a file
// manager of the test's own that implements org.freedesktop.FileManager1 gets the folder's URL
// with every byte of the real path percent-encoded, and its refusal ends in the error box with
// its reason. (The desktop's handler, taken without that service, needs a real display: the
// real-window tests check it.)

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QObject>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "app/FileManagerLauncher.h"
#include "app/TApplication.h"
#include "app/WindowFixture.h"
#include "scanfile/ScanFileTestSupport.h"

namespace zelk {
namespace {

using test::PumpUntil;
const QString kClient = QStringLiteral("zelk-test-client");
const QString kService = QStringLiteral("zelk-test-service");

class RecordingFileManager : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
  public:
    QStringList shown;
    bool refuse = false;

  public slots:
    void ShowFolders(const QStringList& uris, const QString& /*startupId*/) {
        shown += uris;
        if (refuse) {
            sendErrorReply(QDBusError::AccessDenied, QStringLiteral("no folders today"));
        }
    }
};

class FileManagerLauncherTest : public testing::Test {
  protected:
    void SetUp() override {
        application_.SetBoxPresenter([this](QWidget*, const QString&, const QString& text) {
            boxes_.push_back(text.toStdString());
        });
        FILE* daemon = ::popen("dbus-daemon --session --fork --print-address=1 --print-pid=1", "r");
        char address[512] = {};
        if (daemon == nullptr || std::fscanf(daemon, "%511s %d", address, &daemonPid_) != 2) {
            GTEST_SKIP() << "no dbus-daemon here";
        }
        ::pclose(daemon);
        const QString bus = QString::fromLatin1(address);
        ASSERT_TRUE(QDBusConnection::connectToBus(bus, kClient).isConnected());
        ASSERT_TRUE(QDBusConnection::connectToBus(bus, kService)
                        .registerObject("/org/freedesktop/FileManager1", &fileManager_,
                                        QDBusConnection::ExportAllSlots));
        launcher_.UseBus(kClient);
    }
    void TearDown() override {
        QDBusConnection::disconnectFromBus(kClient);
        QDBusConnection::disconnectFromBus(kService);
        if (daemonPid_ > 0) {
            ::kill(daemonPid_, SIGTERM);
        }
    }

    TApplication application_{"/usr/bin/zelk"};
    std::vector<std::string> boxes_;
    const test::TempDir temp_;
    int daemonPid_ = -1;
    RecordingFileManager fileManager_;
    FileManagerLauncher launcher_;
    // A backslash, a newline, bytes that are not UTF-8 and a space.
    const std::string path_ = temp_.Path() + "/a\\b\nc\xff\xfe d";
    const std::string url_ = "file://" + temp_.Path() + "/a%5Cb%0Ac%FF%FE%20d";
};

TEST_F(FileManagerLauncherTest, TheFileManagerOnTheBusGetsTheEncodedUrlAndItsRefusalIsShown) {
    ASSERT_TRUE(QDBusConnection(kService).registerService("org.freedesktop.FileManager1"));
    launcher_.Show(path_);
    ASSERT_TRUE(PumpUntil([&] { return !fileManager_.shown.isEmpty(); }));
    EXPECT_EQ(fileManager_.shown, QStringList{QString::fromStdString(url_)});
    EXPECT_TRUE(boxes_.empty());

    fileManager_.refuse = true;
    launcher_.Show(temp_.Path());
    ASSERT_TRUE(PumpUntil([&] { return !boxes_.empty(); }));
    EXPECT_NE(boxes_.front().find(temp_.Path()), std::string::npos) << boxes_.front();
    EXPECT_NE(boxes_.front().find("no folders today"), std::string::npos) << boxes_.front();
}

}  // namespace
}  // namespace zelk

#include "FileManagerLauncherTest.moc"
