#include "drives/TDriveComboBox.h"

namespace zelk {

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent) {}

}  // namespace zelk
