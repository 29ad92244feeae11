#include "app/WindowSettings.h"

#include <QEvent>
#include <QFontMetrics>
#include <QSettings>
#include <QStandardPaths>
#include <QTabBar>
#include <algorithm>

#include "app/TPageControl.h"
#include "app/TPanel.h"
#include "app/TRadioButton.h"
#include "app/TStatusBar.h"
#include "app/TfrmMain.h"

namespace zelk {
namespace {

const char* const kGeometry = "window/geometry";
const char* const kPage = "window/page";
const char* const kCompressed = "window/compressed";
// Tree rows the smallest window still shows.
constexpr int kMinimumRows = 4;

}  // namespace

QString WindowSettings::DefaultFile() {
    // Read now, not cached for the process as QSettings' own paths are.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           "/zelk/zelk.conf";
}

QSize WindowSettings::MinimumSize(const TfrmMain& form) {
    const MainFormControls& controls = form.Controls();
    // As wide as the band's controls with the margin left of them on their right too.
    int left = controls.Panel1->width();
    int right = 0;
    for (const QWidget* child :
         controls.Panel1->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        left = std::min(left, child->x());
        right = std::max(right, child->geometry().right() + 1);
    }
    const int page = controls.PageControl1->tabBar()->sizeHint().height() +
                     kMinimumRows * QFontMetrics(form.font()).height() + 8;
    return {right + left, controls.Panel1->height() + page + controls.StatusBar1->height()};
}

WindowSettings::WindowSettings(TfrmMain& form, QString file)
    : QObject(&form), form_(form), file_(std::move(file)) {
    Restore();
    form_.installEventFilter(this);
}

void WindowSettings::Restore() {
    const QSettings settings(file_, QSettings::IniFormat);
    if (settings.contains(kGeometry)) {
        form_.restoreGeometry(settings.value(kGeometry).toByteArray());
    }
    const MainFormControls& controls = form_.Controls();
    if (settings.value(kPage).toInt() == 1) {
        controls.PageControl1->SetActivePage(controls.TabSheet2);
    }
    // Checked without a click: nothing is shown yet to re-sort.
    if (settings.value(kCompressed).toBool()) {
        controls.rbCompressedSize->setChecked(true);
    }
}

void WindowSettings::Save() const {
    QSettings settings(file_, QSettings::IniFormat);
    const MainFormControls& controls = form_.Controls();
    settings.setValue(kGeometry, form_.saveGeometry());
    settings.setValue(kPage, controls.PageControl1->ActivePage() == controls.TabSheet2 ? 1 : 0);
    settings.setValue(kCompressed, controls.rbCompressedSize->isChecked());
}

bool WindowSettings::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &form_ && event->type() == QEvent::Close) {
        Save();
    }
    return false;
}

}  // namespace zelk
