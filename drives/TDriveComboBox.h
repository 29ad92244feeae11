#pragma once
// The drop-down list of the machine's drives from which the user picks the drive to scan. Each
// entry is a drive picture and a text made of the letter and the volume label or network name.

#include <QComboBox>
#include <QImage>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "drives/DriveListReader.h"
#include "drives/TDriveListStyle.h"

namespace zelk {

class TDriveComboBox : public QComboBox {
    Q_OBJECT
  public:
    explicit TDriveComboBox(QWidget* parent = nullptr);
    // source: where the volume facts come from; the running system when null.
    TDriveComboBox(QWidget* parent, std::shared_ptr<VolumeSource> source);
    ~TDriveComboBox() override;

    // Letter of the chosen drive in the case of TextCase; 0 for none.
    char SelectedDrive() const { return selectedDrive_; }
    void SelectDrive(char letter);

    TTextCase TextCase() const { return textCase_; }
    void SetTextCase(TTextCase value);

    // Reads the volume table afresh and installs it, so that the scan resolves the same letters.
    void RebuildDriveList();
    // Lists folder (a real path) first as the drive "a" from now on, in place of any earlier
    // one, and selects it.
    void SetFolder(const std::string& folder);
    const std::string& Folder() const { return reader_.Folder(); }

    int ItemHeight() const { return itemHeight_; }
    void UpdateItemHeight();
    // index -1 is the closed field with nothing selected: only the background is filled.
    void DrawDriveEntry(QPainter& painter, int index, const QRect& rect, bool selected,
                        bool focused) const;

    // The drives; the list holds one entry more after them, which asks for a folder.
    const std::vector<DriveEntry>& Entries() const { return entries_; }
    int FolderChooserEntry() const { return static_cast<int>(entries_.size()); }
    int SelectedEntry() const { return selectedEntry_; }
    const QImage& Image(DriveImage image) const { return images_[static_cast<int>(image)]; }

    // Raised by SelectDrive and after a user pick; OnClick only by a user pick, before it.
    std::function<void()> OnChange;
    std::function<void()> OnClick;
    // The last entry picked: the choice stays as it was.
    std::function<void()> OnChooseFolder;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // The drives as mounted now, the chosen one kept by its mount point.
    void showPopup() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void SetSelectedEntry(int index);
    void UserPicked(int index);

    std::unique_ptr<TDriveListStyle> style_;
    DriveListReader reader_;
    std::array<QImage, kDriveImageCount> images_;
    std::vector<DriveEntry> entries_;
    char selectedDrive_ = 0;
    TTextCase textCase_ = tcLowerCase;
    int selectedEntry_ = -1;
    int itemHeight_ = 11;
    bool created_ = false;  // the list has been filled for the first showing
};

}  // namespace zelk
