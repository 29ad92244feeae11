#pragma once
// The scans kept for the user, so that the next scan of the same place can be compared with the
// last one without picking a file: one compressed export per finished scan in a private folder,
// the newest few per place (a mount point or a folder, by its real path). Each file's name holds
// the place, encoded so that any bytes fit a file name, and the scan's time in UTC, so that the
// folder reads in order. Safe for several windows at once: a file appears whole, by a rename.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scan/TFileAttr.h"
#include "scanfile/ScanFileWriter.h"

namespace zelk {

class KeptScans {
  public:
    struct Kept {
        std::string File;
        std::int64_t Stamp;  // nanoseconds since 1970, UTC
    };

    explicit KeptScans(std::string folder, std::size_t perPlace = 10);

    // $XDG_DATA_HOME/zelk, or ~/.local/share/zelk; empty when neither can be told.
    static std::string DefaultFolder();
    static std::int64_t Now();

    const std::string& Folder() const { return folder_; }
    // The file a scan of place at stamp is kept in.
    std::string FileFor(const std::string& place, std::int64_t stamp) const;
    // The stamp of file (a path into any folder) when its name is that of a kept scan of place.
    static std::optional<std::int64_t> StampOf(const std::string& file, const std::string& place);
    // Newest first; nothing when the folder cannot be read.
    std::vector<Kept> List(const std::string& place) const;
    // The newest one kept before stamp.
    std::optional<Kept> Previous(const std::string& place, std::int64_t stamp) const;

    // Writes the scan of place finished at stamp (a later free one when that name is taken),
    // readable by the user only, then removes the place's older ones beyond the newest few.
    // Raises EScanFileError with the reason; false when control stopped it.
    bool Keep(const TFileAttr& root, const std::string& place, std::int64_t stamp,
              const ScanFileWriter::SaveControl& control = {}) const;
    // Removes the place's files beyond the newest few; a file that will not go is left.
    void Prune(const std::string& place) const;

  private:
    void MakeFolder() const;

    std::string folder_;
    std::size_t perPlace_;
};

}  // namespace zelk
