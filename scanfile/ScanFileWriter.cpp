#include "scanfile/ScanFileWriter.h"

#include <rapidjson/writer.h>

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

std::uint64_t Bytes(double value) {
    return value > 0 ? static_cast<std::uint64_t>(value) : 0;
}

void WriteDate(JsonWriter& json, double date) {
    std::int64_t seconds = 0;
    if (SecondsOfDate(date, seconds)) {
        json.Key("mtime");
        json.Int64(seconds);
    }
}

void WriteName(JsonWriter& json, const std::string& name) {
    json.Key("name");
    json.String(name.data(), static_cast<rapidjson::SizeType>(name.size()));
}

// The directory's information object and its files' entry; its sub-directories follow.
void OpenDirectory(JsonWriter& json, const TFileAttr& dir, const std::string& name) {
    json.StartArray();
    json.StartObject();
    WriteName(json, name);
    WriteDate(json, dir.LastWrite);
    if (dir.Unreadable) {
        json.Key("read_error");
        json.Bool(true);
    }
    json.EndObject();
    double size = dir.Size;
    double compressed = dir.CompressedSize;
    for (const auto& child : dir.Children) {
        size -= child->Size;
        compressed -= child->CompressedSize;
    }
    if (Bytes(size) > 0 || Bytes(compressed) > 0) {
        json.StartObject();
        WriteName(json, ScanFileWriter::kFilesName);
        json.Key("asize");
        json.Uint64(Bytes(size));
        json.Key("dsize");
        json.Uint64(Bytes(compressed));
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
        OpenDirectory(json, child, child.Name.Str());
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
                          const std::string& rootName, std::int64_t timestamp,
                          const SaveControl& control) {
    try {
        SaveTarget target;
        if (!target.Open(path, control.Stopped)) {
            return false;
        }
        CompressingOutput out(target.Descriptor(), CompressingOutput::FormatForName(path));
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
