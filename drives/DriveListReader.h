#pragma once
// The reading half of the drive chooser: the volume table read afresh, installed for the scan,
// and turned into one entry per drive in letter order. Touches no volume.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "drives/DriveImages.h"
#include "platform/VolumeSource.h"
#include "platform/VolumeTable.h"

namespace zelk {

enum TTextCase { tcLowerCase, tcUpperCase };

struct DriveEntry {
    std::string Text;  // letter, ":" and the rest
    DriveImage Image = DriveImage::Hard;
};

class DriveListReader {
  public:
    // source: where the volume facts come from; the running system when null.
    explicit DriveListReader(std::shared_ptr<VolumeSource> source);

    // Letter of the drive that holds the current directory; 0 when it lies on no drive.
    char CurrentDrive();
    // The letter takes textCase; labels and names stay as the system spells them, since a
    // mount point's case is part of its name.
    std::vector<DriveEntry> ReadEntries(TTextCase textCase);
    // A folder (a real path) listed first as the drive "a" at each read; empty for none.
    void SetFolder(std::string root) { folder_ = std::move(root); }
    const std::string& Folder() const { return folder_; }

    static std::string VolumeLabelText(const Volume& volume);
    static std::string NetworkNameText(const Volume& volume);

  private:
    std::shared_ptr<VolumeSource> source_;
    std::string folder_;
};

}  // namespace zelk
