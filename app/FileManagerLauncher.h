#pragma once
// Shows a folder in the desktop's file manager: over the session bus where a file manager owns
// (or can be started for) org.freedesktop.FileManager1, else through the desktop's default
// handler of the folder's file URL. A failure comes in the error box with its reason.

#include <QObject>
#include <QString>
#include <string>

class QDBusConnection;

namespace zelk {

class FileManagerLauncher : public QObject {
    Q_OBJECT
  public:
    explicit FileManagerLauncher(QObject* parent = nullptr);

    // Returns at once; the file manager answers later.
    void Show(const std::string& path);
    // Asks the bus connection of that name (QDBusConnection::connectToBus) instead of the
    // session bus; an empty name goes back to the session bus.
    void UseBus(const QString& connectionName) { busName_ = connectionName; }

    // file:// and the path's bytes, every byte but the unreserved ones and "/" percent-encoded.
    static QByteArray FileUrl(const std::string& path);

  private:
    QDBusConnection Bus() const;
    static bool HasFileManager(const QDBusConnection& bus);
    void Failed(const std::string& path, const QString& reason) const;

    QString busName_;
};

}  // namespace zelk
