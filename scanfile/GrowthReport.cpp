#include "scanfile/GrowthReport.h"

#include <sys/stat.h>

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <limits>
#include <memory>

#include "runtime/Exception.h"
#include "scan/RealPath.h"
#include "scanfile/ScanExport.h"
#include "scanfile/ScanFileReader.h"

namespace zelk {
namespace {

struct Ranked {
    GrowthReport::Row row;
    std::size_t order;  // in the walk, so equal growths keep the tree's order
};

// Most growth first.
bool Before(const Ranked& a, const Ranked& b) {
    return a.row.Growth != b.row.Growth ? a.row.Growth > b.row.Growth : a.order < b.order;
}

std::string Whole(double bytes) {
    char text[40];
    std::snprintf(text, sizeof text, "%.0f", bytes);
    return text;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return path != "-" && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::vector<GrowthReport::Row> GrowthReport::Top(const TFileAttr& now,
                                                 const ScanComparison& comparison, std::size_t top,
                                                 SizeBasis basis) {
    // A heap of the best so far, its worst on top: the tree is walked once, whatever top is.
    std::vector<Ranked> best;
    std::vector<const TFileAttr*> pending{&now};
    for (std::size_t order = 0; top > 0 && !pending.empty(); ++order) {
        const TFileAttr* record = pending.back();
        pending.pop_back();
        for (auto child = record->Children.rbegin(); child != record->Children.rend(); ++child) {
            pending.push_back(child->get());
        }
        const double size = ScanComparison::SizeOn(*record, basis);
        const TFileAttr* then = comparison.BaselineOf(*record);
        const double before = then != nullptr ? ScanComparison::SizeOn(*then, basis) : 0;
        const Ranked ranked{{size - before, size, before, record}, order};
        if (best.size() < top) {
            best.push_back(ranked);
            std::push_heap(best.begin(), best.end(), Before);
        } else if (Before(ranked, best.front())) {
            std::pop_heap(best.begin(), best.end(), Before);
            best.back() = ranked;
            std::push_heap(best.begin(), best.end(), Before);
        }
    }
    std::sort_heap(best.begin(), best.end(), Before);
    std::vector<Row> rows;
    rows.reserve(best.size());
    for (const Ranked& ranked : best) {
        rows.push_back(ranked.row);
    }
    return rows;
}

std::string GrowthReport::Line(const Row& row, const std::string& rootPath, const TFileAttr& root) {
    return Whole(row.Growth) + '\t' + Whole(row.Now) + '\t' + Whole(row.Then) + '\t' +
           RealPathOf(rootPath, root, *row.Record) + '\n';
}

void GrowthReport::Print(const std::string& then, const std::string& now, std::size_t top,
                         SizeBasis basis, std::FILE* out) {
    ScanFile baseline = ScanFileReader::Read(then);
    ScanFile shown = IsDirectory(now) ? ScanDirectory(now, nullptr) : ScanFileReader::Read(now);
    ScanComparison comparison(*shown.Root, std::move(baseline.Root));
    comparison.Step(std::numeric_limits<std::size_t>::max());
    for (const Row& row : Top(*shown.Root, comparison, top, basis)) {
        const std::string line = Line(row, shown.RootName, *shown.Root);
        if (std::fputs(line.c_str(), out) < 0) {
            break;
        }
    }
    if (std::fflush(out) != 0 || std::ferror(out) != 0) {
        throw Exception("標準出力に書けません");
    }
}

}  // namespace zelk
