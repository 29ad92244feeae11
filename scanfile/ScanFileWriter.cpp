#include "scanfile/ScanFileWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <rapidjson/writer.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "scanfile/CompressingOutput.h"
#include "scanfile/EScanFileError.h"
#include "scanfile/ScanRecords.h"

namespace zelk {
namespace {

// Counts the text handed to the compressor, for the progress of a save.
struct CountedOutput {
    using Ch = char;
    void Put(Ch c) {
        out.Put(c);
        ++written;
    }
    void Flush() {}
    CompressingOutput& out;
    std::uint64_t written = 0;
};

using JsonWriter = rapidjson::Writer<CountedOutput>;

// Thrown out of the walk when the save is abandoned; never leaves Save.
struct Abandoned {};

// Directories written between two looks at the save's control.
constexpr std::size_t kDirectoriesPerCheck = 4096;

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

void WriteTree(CompressingOutput& out, const TFileAttr& root, const std::string& rootName,
               std::int64_t timestamp, const SaveControl& control) {
    CountedOutput counted{out};
    JsonWriter json(counted);
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
    std::size_t untilCheck = kDirectoriesPerCheck;
    while (!pending.empty()) {
        if (--untilCheck == 0) {
            untilCheck = kDirectoriesPerCheck;
            if (control.Stopped && control.Stopped()) {
                throw Abandoned();
            }
            if (control.Progress) {
                control.Progress(counted.written);
            }
        }
        auto& [dir, next] = pending.back();
        if (next == dir->Children.size()) {
            json.EndArray();
            pending.pop_back();
            continue;
        }
        const TFileAttr& child = *dir->Children[next++];
        OpenDirectory(json, child, child.Name.Str());
        pending.emplace_back(&child, 0);
    }
    json.EndArray();
    out.Finish();
}

// A new file beside path, created with the usual permissions.
std::pair<int, std::string> CreateBeside(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash);
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string temp = dir + "/.zelk-" + std::to_string(random() % 100'000'000) + ".tmp";
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            return {fd, std::move(temp)};
        }
        if (errno != EEXIST) {
            break;
        }
    }
    throw EScanFileError(std::strerror(errno));
}

}  // namespace

bool ScanFileWriter::Save(const std::string& path, const TFileAttr& root,
                          const std::string& rootName, std::int64_t timestamp,
                          const SaveControl& control) {
    std::string temp;
    int fd = -1;
    try {
        std::tie(fd, temp) = CreateBeside(path);
        CompressingOutput out(fd, CompressingOutput::FormatForName(path));
        WriteTree(out, root, rootName, timestamp, control);
        if (::fsync(fd) != 0) {
            throw EScanFileError(std::strerror(errno));
        }
        const int closed = ::close(std::exchange(fd, -1));
        if (closed != 0 || ::rename(temp.c_str(), path.c_str()) != 0) {
            throw EScanFileError(std::strerror(errno));
        }
    } catch (...) {
        if (fd >= 0) {
            ::close(fd);
        }
        if (!temp.empty()) {
            ::unlink(temp.c_str());
        }
        try {
            throw;
        } catch (const Abandoned&) {
            return false;
        } catch (const EScanFileError& error) {
            throw EScanFileError(true, path, error.Reason());
        }
    }
    return true;
}

}  // namespace zelk
