#pragma once
// The command line's scan without a window: one directory's tree, walked by the scan's own
// worker with this thread serving its steps, written as an export.

#include <string>

#include "scanfile/ScanFile.h"

namespace zelk {

class StatusLine;

// Scans directory (empty: the volume root of the current directory) within its volume and
// saves the export to file ("-": standard output). progress, when given, receives each
// directory's real path. Raises an Exception with a one-line message on failure.
void ExportScan(const std::string& file, const std::string& directory, StatusLine* progress);
// The same scan's records, the root named with the directory's real path.
ScanFile ScanDirectory(const std::string& directory, StatusLine* progress);

}  // namespace zelk
