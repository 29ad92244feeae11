#pragma once
// What grew since an earlier scan, for a terminal, a server or a cron job: the directories of
// the tree now that grew most on a size basis, one a line, tab-separated: growth, size now, size
// then and the real path. A directory the earlier scan lacks grew by all it holds.

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "scan/ScanComparison.h"
#include "scan/SizeBasis.h"
#include "scan/TFileAttr.h"

namespace zelk {

class GrowthReport {
  public:
    struct Row {
        double Growth;
        double Now;
        double Then;
        const TFileAttr* Record;
    };

    // The top rows, most growth first; equal growths keep the tree's order. comparison must be
    // done matching now.
    static std::vector<Row> Top(const TFileAttr& now, const ScanComparison& comparison,
                                std::size_t top, SizeBasis basis);
    static std::string Line(const Row& row, const std::string& rootPath, const TFileAttr& root);

    // Compares then (a scan file) with now (a scan file, or a directory scanned within its volume
    // first) and writes the top lines to out. Raises an Exception with a one-line message.
    static void Print(const std::string& then, const std::string& now, std::size_t top,
                      SizeBasis basis, std::FILE* out);
};

}  // namespace zelk
