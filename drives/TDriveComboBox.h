#pragma once
// The drop-down list of the machine's drives from which the user picks the drive to scan.

#include <QComboBox>

namespace zelk {

class TDriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TDriveComboBox(QWidget* parent = nullptr);

    // Letter of the chosen drive, lower case here; 0 for none.
    char SelectedDrive() const { return selectedDrive_; }

private:
    char selectedDrive_ = 0;
};

}  // namespace zelk
