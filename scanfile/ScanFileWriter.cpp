#include "scanfile/ScanFileWriter.h"

#include <rapidjson/writer.h>

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

#include "scanfile/CompressingOutput.h"
#include "scanfile/EScanFileError.h"
#include "scanfile/SaveTarget.h"
#include "scanfile/ScanRecords.h"

namespace zelk {
namespace {

using JsonWriter = rapidjson::Writer<CompressingOutput>;

constexpr std::uint64_t kControlEvery = 4096;

// False when the save is to stop.
bool Continue(const ScanFileWriter::SaveControl& control, std::uint64_t written) {
    if (control.Progress) {
        control.Progress(written);
    }
    return !control.Stopped || !control.Stopped();
}

// The most one file entry carries: inside what every reader takes (2^63), and a power of two,
// so the pieces of a larger total are exact and add up to it again.
constexpr double kPieceBytes = 4611686018427387904.0;  // 2^62

// The piece-th share of a total spread over file entries: whole pieces, then the rest.
std::uint64_t Bytes(double total, std::size_t piece) {
    const double before = kPieceBytes * static_cast<double>(piece);
    if (!std::isfinite(total) || !(total > before)) {
        return 0;
    }
    return static_cast<std::uint64_t>(std::min(total - before, kPieceBytes));
}

std::size_t PiecesOf(double total) {
    return std::isfinite(total) && total > 0
               ? static_cast<std::size_t>(std::ceil(total / kPieceBytes))
               : 0;
}

void WriteDate(JsonWriter& json, double date) {
    std::int64_t seconds = 0;
    if (SecondsOfDate(date, seconds)) {
        json.Key("mtime");
        json.Int64(seconds);
    }
}

void WriteName(JsonWriter& json, std::string_view name) {
    json.Key("name");
    json.String(name.data(), static_cast<rapidjson::SizeType>(name.size()));
}

// The names of the entries that hold a directory's own files: "(ファイル)", then "(ファイル 2)"
// and on for totals of 2^62 bytes and more, skipping those its sub-directories use.
class FilesNames {
  public:
    explicit FilesNames(const TFileAttr& dir) {
        const std::string_view stem = ScanFileWriter::kFilesName;
        for (const auto& child : dir.Children) {
            const std::string_view name = child->Name.View();
            if (name.substr(0, stem.size() - 1) == stem.substr(0, stem.size() - 1)) {
                taken_.push_back(name);
            }
        }
    }
    std::string Next() {
        for (;;) {
            std::string name = ++count_ == 1 ? std::string(ScanFileWriter::kFilesName)
                                             : "(ファイル " + std::to_string(count_) + ")";
            if (std::find(taken_.begin(), taken_.end(), name) == taken_.end()) {
                return name;
            }
        }
    }

  private:
    std::vector<std::string_view> taken_;
    std::size_t count_ = 0;
};

// The directory's information object and its files' entries; its sub-directories follow.
void OpenDirectory(JsonWriter& json, const TFileAttr& dir, std::string_view name) {
    json.StartArray();
    json.StartObject();
    WriteName(json, name);
    WriteDate(json, dir.LastWrite);
    if (dir.Unreadable) {
        json.Key("read_error");
        json.Bool(true);
    }
    if (dir.OtherVolume) {
        // As ncdu marks a mount point it did not cross: an empty directory to any other reader.
        json.Key("excluded");
        json.String("otherfs");
    }
    json.EndObject();
    double size = dir.Size;
    double compressed = dir.CompressedSize;
    for (const auto& child : dir.Children) {
        size -= child->Size;
        compressed -= child->CompressedSize;
    }
    const std::size_t pieces = std::max(PiecesOf(size), PiecesOf(compressed));
    if (pieces == 0 || (Bytes(size, 0) == 0 && Bytes(compressed, 0) == 0)) {
        return;
    }
    FilesNames names(dir);
    for (std::size_t piece = 0; piece < pieces; ++piece) {
        json.StartObject();
        WriteName(json, names.Next());
        json.Key("asize");
        json.Uint64(Bytes(size, piece));
        json.Key("dsize");
        json.Uint64(Bytes(compressed, piece));
        WriteDate(json, dir.LastWrite);
        json.EndObject();
    }
}

bool WriteTree(CompressingOutput& out, const TFileAttr& root, const std::string& rootName,
               std::int64_t timestamp, const ScanFileWriter::SaveControl& control) {
    JsonWriter json(out);
    json.StartArray();
    json.Uint(1);
    json.Uint(2);
    json.StartObject();
    json.Key("progname");
    json.String("zelk");
    json.Key("progver");
    json.String(ZELK_VERSION);
    json.Key("timestamp");
    json.Int64(timestamp);
    json.EndObject();
    // Depth first with an explicit stack: a directory and the next child to write.
    std::vector<std::pair<const TFileAttr*, std::size_t>> pending{{&root, 0}};
    OpenDirectory(json, root, rootName);
    std::uint64_t written = 1;
    while (!pending.empty()) {
        auto& [dir, next] = pending.back();
        if (next == dir->Children.size()) {
            json.EndArray();
            pending.pop_back();
            continue;
        }
        const TFileAttr& child = *dir->Children[next++];
        OpenDirectory(json, child, child.Name.View());
        pending.emplace_back(&child, 0);
        if (++written % kControlEvery == 0 && !Continue(control, written)) {
            return false;
        }
    }
    json.EndArray();
    out.Finish();
    return true;
}

}  // namespace

bool ScanFileWriter::Save(const std::string& path, const TFileAttr& root,
                          const std::string& rootName, std::int64_t timestamp) {
    return Save(path, root, rootName, timestamp, SaveControl{});
}

bool ScanFileWriter::Save(const std::string& path, const TFileAttr& root,
                          const std::string& rootName, std::int64_t timestamp,
                          const SaveControl& control, unsigned newFileMode) {
    try {
        SaveTarget target;
        if (!target.Open(path, control.Stopped, newFileMode)) {
            return false;
        }
        CompressingOutput out(target.Descriptor(), CompressingOutput::FormatForName(path),
                              control.Lean);
        if (!WriteTree(out, root, rootName, timestamp, control)) {
            return false;
        }
        target.Commit();
        return true;
    } catch (const EScanFileError& error) {
        throw EScanFileError(true, path, error.Reason());
    }
}

}  // namespace zelk
