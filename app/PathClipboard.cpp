#include "app/PathClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace zelk {
namespace {

QMimeData* PathData(const QByteArray& bytes) {
    auto* data = new QMimeData;
    data->setData(QStringLiteral("text/plain"), bytes);
    data->setData(QStringLiteral("text/plain;charset=utf-8"), bytes);
    return data;
}

}  // namespace

void PutPathOnClipboard(const std::string& path) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
    clipboard->setMimeData(PathData(bytes), QClipboard::Clipboard);
    if (clipboard->supportsSelection()) {
        clipboard->setMimeData(PathData(bytes), QClipboard::Selection);
    }
}

}  // namespace zelk
