#include "app/FileManagerLauncher.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QUrl>

#include "app/ErrorGuard.h"
#include "runtime/Exception.h"

namespace zelk {
namespace {

const char* const kService = "org.freedesktop.FileManager1";
const char* const kObject = "/org/freedesktop/FileManager1";
// The bus daemon answers from memory; a daemon that does not is taken as no file manager.
constexpr int kBusTimeoutMs = 500;

bool Unreserved(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
           byte == '~' || byte == '/';
}

// The first value the bus daemon answers to method, invalid when it does not answer in time.
QVariant AskDaemon(const QDBusConnection& bus, const char* method, const QVariantList& arguments) {
    QDBusMessage ask = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QString::fromLatin1(method));
    ask.setArguments(arguments);
    const QDBusMessage answer = bus.call(ask, QDBus::Block, kBusTimeoutMs);
    return answer.type() == QDBusMessage::ReplyMessage && !answer.arguments().isEmpty()
               ? answer.arguments().front()
               : QVariant();
}

}  // namespace

FileManagerLauncher::FileManagerLauncher(QObject* parent) : QObject(parent) {}

QByteArray FileManagerLauncher::FileUrl(const std::string& path) {
    static const char* const kHex = "0123456789ABCDEF";
    QByteArray url("file://");
    url.reserve(static_cast<qsizetype>(7 + path.size() * 3));
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (Unreserved(byte)) {
            url.append(c);
        } else {
            url.append('%').append(kHex[byte >> 4]).append(kHex[byte & 15]);
        }
    }
    return url;
}

QDBusConnection FileManagerLauncher::Bus() const {
    return busName_.isEmpty() ? QDBusConnection::sessionBus() : QDBusConnection(busName_);
}

bool FileManagerLauncher::HasFileManager(const QDBusConnection& bus) {
    if (!bus.isConnected()) {
        return false;
    }
    const QString service = QString::fromLatin1(kService);
    return AskDaemon(bus, "NameHasOwner", {service}).toBool() ||
           AskDaemon(bus, "ListActivatableNames", {}).toStringList().contains(service);
}

void FileManagerLauncher::Failed(const std::string& path, const QString& reason) const {
    Guarded([&] {
        throw Exception("ファイルマネージャーで開けません: " + path + "\n" + reason.toStdString());
    });
}

void FileManagerLauncher::Show(const std::string& path) {
    const QByteArray url = FileUrl(path);
    const QDBusConnection bus = Bus();
    if (!HasFileManager(bus)) {
        if (!QDesktopServices::openUrl(QUrl::fromEncoded(url, QUrl::StrictMode))) {
            Failed(path, QString::fromUtf8("フォルダを開くアプリケーションがありません"));
        }
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        QString::fromLatin1(kService), QString::fromLatin1(kObject), QString::fromLatin1(kService),
        QStringLiteral("ShowFolders"));
    call << QStringList{QString::fromLatin1(url)} << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, path](QDBusPendingCallWatcher* done) {
                done->deleteLater();
                const QDBusPendingReply<> reply = *done;
                if (reply.isError()) {
                    Failed(path, reply.error().message());
                }
            });
}

}  // namespace zelk
