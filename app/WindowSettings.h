#pragma once
// What the main window keeps from one run to the next: its size and place, the page shown and
// the size basis, in a file of the user's configuration folder ($XDG_CONFIG_HOME, else
// ~/.config). The first run opens at the design size. Also the window's minimum size, at which
// no control of the top band is cut off.

#include <QObject>
#include <QSize>
#include <QString>

namespace zelk {

class TfrmMain;

class WindowSettings : public QObject {
    Q_OBJECT
  public:
    static QString DefaultFile();
    static QSize MinimumSize(const TfrmMain& form);

    // Puts what file holds into form, before it is shown, and saves into file at each close.
    WindowSettings(TfrmMain& form, QString file);
    void Save() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Restore();

    TfrmMain& form_;
    const QString file_;
};

}  // namespace zelk
