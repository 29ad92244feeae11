#pragma once
// The controls of the main window, owned by the window through their Qt parents (ImageList1
// directly): built by the layout, read by the window's handlers and by tests.

#include <memory>

class QPushButton;
class QWidget;

namespace zelk {

class TDriveComboBox;
class TImageList;
class TPageControl;
class TPaintBox;
class TPanel;
class TRadioButton;
class TStatusBar;
class TTreeView;

struct MainFormControls {
    TPanel* Panel1 = nullptr;
    TStatusBar* StatusBar1 = nullptr;
    TDriveComboBox* DriveComboBox1 = nullptr;
    QPushButton* btnStart = nullptr;
    QPushButton* btnStop = nullptr;
    TPageControl* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    TTreeView* TreeView1 = nullptr;
    std::unique_ptr<TImageList> ImageList1;
    TPaintBox* PaintBox1 = nullptr;
    QPushButton* btnSortBySize = nullptr;
    QPushButton* btnSortByDate = nullptr;
    TRadioButton* rbFileSize = nullptr;
    TRadioButton* rbCompressedSize = nullptr;
};

}  // namespace zelk
