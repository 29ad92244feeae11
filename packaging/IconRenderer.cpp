// Build-time tool: writes the program's 32 x 32 icon picture as PNG files of the launcher sizes,
// scaled without smoothing so that every size keeps the pixel art's hard edges; and checks
// installed files against the picture.
// Usage: zelk_icon_renderer write <directory> <size>...
//        zelk_icon_renderer check <directory> <size>...
// Both use <directory>/<size>x<size>/apps/zelk.png, the icon theme's layout.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/Pictures.h"

namespace {

QImage IconAt(const QImage& picture, int size) {
    return picture.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

// Differences are told pixel by pixel: a wrong icon should say where it is wrong.
bool Matches(const QImage& expected, const QString& file) {
    const QImage found = QImage(file).convertToFormat(QImage::Format_ARGB32);
    if (found.isNull() || found.size() != expected.size()) {
        std::fprintf(stderr, "%s: missing or %d x %d, expected %d x %d\n", qPrintable(file),
                     found.width(), found.height(), expected.width(), expected.height());
        return false;
    }
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            if (found.pixel(x, y) != expected.pixel(x, y)) {
                std::fprintf(stderr, "%s: pixel (%d, %d) is %08x, expected %08x\n",
                             qPrintable(file), x, y, found.pixel(x, y), expected.pixel(x, y));
                return false;
            }
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const bool write = argc >= 4 && std::strcmp(argv[1], "write") == 0;
    const bool check = argc >= 4 && std::strcmp(argv[1], "check") == 0;
    if (!write && !check) {
        std::fprintf(stderr, "usage: zelk_icon_renderer write|check <directory> <size>...\n");
        return 2;
    }
    const QImage picture = zelk::AppIconPicture().toImage().convertToFormat(QImage::Format_ARGB32);
    for (int i = 3; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        const QString folder =
            QString("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[2])).arg(size);
        if (size <= 0) {
            std::fprintf(stderr, "not a size: %s\n", argv[i]);
            return 2;
        }
        if (check) {
            // At its own size the file must be the picture itself, not merely a scaled copy.
            if (!Matches(size == picture.width() ? picture : IconAt(picture, size),
                         folder + "/zelk.png")) {
                return 1;
            }
        } else if (!QDir().mkpath(folder) ||
                   !IconAt(picture, size).save(folder + "/zelk.png", "PNG")) {
            std::fprintf(stderr, "cannot write the %d pixel icon\n", size);
            return 1;
        }
    }
    return 0;
}
