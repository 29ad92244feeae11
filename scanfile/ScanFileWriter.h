#pragma once
// Writes a finished scan as an ncdu JSON export. The files of each directory, which the records
// do not keep, become one file entry with their totals, so that reading it back gives the same
// records. Where the bytes go, and how the old file is kept safe, is SaveTarget's part.

#include <cstdint>
#include <functional>
#include <string>

#include "scan/TFileAttr.h"

namespace zelk {

class ScanFileWriter {
  public:
    // The name of the file entry that holds a directory's own files.
    static constexpr const char* kFilesName = "(ファイル)";

    struct SaveControl {
        // Asked every few thousand directories; true abandons the save.
        std::function<bool()> Stopped;
        // Directories written so far, reported every few thousand.
        std::function<void(std::uint64_t written)> Progress;
        // A save made behind a shown tree, whose memory adds to the window's: a lean codec.
        bool Lean = false;
    };

    // Compressed by the name's ending (.zst, .gz, else plain); "-" is standard output. rootName
    // is the scanned path; timestamp the export's time, in Unix seconds. Raises EScanFileError
    // naming the file, and then leaves the old file as it was and no file of its own behind.
    // Returns false when Stopped abandoned it: no partial file under the name and no temp file
    // left (a stream target simply stops). newFileMode is that of a file made where there was
    // none, before the umask; a replaced file keeps its own.
    static bool Save(const std::string& path, const TFileAttr& root, const std::string& rootName,
                     std::int64_t timestamp, const SaveControl& control,
                     unsigned newFileMode = 0666);
    static bool Save(const std::string& path, const TFileAttr& root, const std::string& rootName,
                     std::int64_t timestamp);
};

}  // namespace zelk
