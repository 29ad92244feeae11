#pragma once
// Writes a finished scan as an ncdu JSON export. The files of each directory, which the records
// do not keep, become one file entry with their totals, so that reading it back gives the same
// records. The file appears whole or not at all: it is written beside its final name and renamed.

#include <cstdint>
#include <functional>
#include <string>

#include "scan/TFileAttr.h"

namespace zelk {

// Asked while a save writes: Stopped abandons it, Progress hears of the bytes written so far.
struct SaveControl {
    std::function<bool()> Stopped;
    std::function<void(std::uint64_t written)> Progress;
};

class ScanFileWriter {
  public:
    // The name of the file entry that holds a directory's own files.
    static constexpr const char* kFilesName = "(ファイル)";

    // Compressed by the name's ending (.zst, .gz, else plain). rootName is the scanned path;
    // timestamp the export's time, in Unix seconds. Raises EScanFileError naming the file, and
    // then leaves no file of its own behind; so does an abandoned save, which returns false.
    static bool Save(const std::string& path, const TFileAttr& root, const std::string& rootName,
                     std::int64_t timestamp, const SaveControl& control = {});
};

}  // namespace zelk
