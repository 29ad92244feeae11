#pragma once
// Scanning a folder as a drive of its own: `zelk DIRECTORY`, a folder dropped onto the window
// and the drive list's last entry (a folder dialog). The folder is listed first as the drive
// "a", chosen, and scanned as a click on the start button would scan a drive; a scan running
// meanwhile keeps running, as it does for an opened file.

#include <QObject>
#include <string>

namespace zelk {

class TfrmMain;

class FolderScan : public QObject {
    Q_OBJECT
  public:
    // Takes the folders dropped onto the window (files go on to the scan files) and the drive
    // list's folder entry; made once the window's controls are.
    explicit FolderScan(TfrmMain& form);

    // False, with nothing done, when directory is no folder.
    bool Scan(const std::string& directory);
    // The same for a path from the command line, which may lie on a mount that never answers:
    // looked at on a thread of its own, and one that does not answer soon is no folder.
    bool ScanIfFolder(const std::string& path);
    void ChooseClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ScanRoot(const std::string& root);

    TfrmMain& form_;
};

}  // namespace zelk
