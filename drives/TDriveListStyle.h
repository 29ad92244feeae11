#pragma once
// The chooser's style: the application's, except that the open list is a plain list below the
// field with at most its visible-row count of rows and a scroll bar beyond them, never a menu
// laid over the field.

#include <QProxyStyle>

namespace zelk {

class TDriveListStyle : public QProxyStyle {
    Q_OBJECT
  public:
    TDriveListStyle();

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override;
};

}  // namespace zelk
