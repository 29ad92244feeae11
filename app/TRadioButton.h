#pragma once
// A radio button of the top band's group. Its Click runs only when a click has just checked it;
// clicking the checked one, or checking it from code, raises nothing. Only the checked button
// of the group is a tab stop.

#include <QRadioButton>

namespace zelk {

class TRadioButton : public QRadioButton {
    Q_OBJECT
  public:
    explicit TRadioButton(const QString& text, QWidget* parent = nullptr);

  signals:
    void Click();

  protected:
    void nextCheckState() override;

  private:
    void FollowCheck(bool checked);
    bool justChecked_ = false;
};

}  // namespace zelk
