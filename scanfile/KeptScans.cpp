#include "scanfile/KeptScans.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "scanfile/EScanFileError.h"

namespace zelk {
namespace {

// Between the place and the time; never left bare in an encoded place.
constexpr char kSeparator = '@';
constexpr const char* kSuffix = "Z.json.zst";
// "20261208T064512.123456789" before the suffix.
constexpr std::size_t kDateChars = 25;
// The encoded place is cut here and the whole path's hash added, so any path fits NAME_MAX.
constexpr std::size_t kPlaceChars = 200;
constexpr std::size_t kPlaceKept = 160;
constexpr std::int64_t kNano = 1'000'000'000;

bool Plain(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == ',' || c == '+' || c == '=';
}

std::uint64_t Fnv1a(const std::string& text) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const unsigned char c : text) {
        hash = (hash ^ c) * 0x100000001b3ULL;
    }
    return hash;
}

// A path's slashes become '_'; '_', '%', '@', '~' and every byte outside a small plain set
// become %XX, so the encoding is one to one and never starts with a dot.
std::string Encode(const std::string& place) {
    std::string out;
    for (const unsigned char c : place) {
        if (c == '/') {
            out += '_';
        } else if (Plain(c)) {
            out += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    if (out.size() > kPlaceChars) {
        std::size_t cut = kPlaceKept;
        // Not inside a %XX.
        while (cut > 0 && (out[cut - 1] == '%' || (cut > 1 && out[cut - 2] == '%'))) {
            --cut;
        }
        char hash[20];
        std::snprintf(hash, sizeof hash, "~%016llx", static_cast<unsigned long long>(Fnv1a(place)));
        out = out.substr(0, cut) + hash;
    }
    return out;
}

std::string DateText(std::int64_t stamp) {
    const std::time_t seconds = static_cast<std::time_t>(stamp / kNano);
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02d.%09lld", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                  static_cast<long long>(stamp % kNano));
    return text;
}

bool ParseDate(std::string_view text, std::int64_t& stamp) {
    if (text.size() != kDateChars || text[8] != 'T' || text[15] != '.') {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i != 8 && i != 15 && (text[i] < '0' || text[i] > '9')) {
            return false;
        }
    }
    const auto number = [&](std::size_t at, std::size_t length) {
        return static_cast<int>(
            std::strtol(std::string(text.substr(at, length)).c_str(), nullptr, 10));
    };
    std::tm utc{};
    utc.tm_year = number(0, 4) - 1900;
    utc.tm_mon = number(4, 2) - 1;
    utc.tm_mday = number(6, 2);
    utc.tm_hour = number(9, 2);
    utc.tm_min = number(11, 2);
    utc.tm_sec = number(13, 2);
    const std::time_t seconds = ::timegm(&utc);
    stamp = static_cast<std::int64_t>(seconds) * kNano +
            std::strtoll(std::string(text.substr(16)).c_str(), nullptr, 10);
    return DateText(stamp) == text;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 || errno != ENOENT;
}

}  // namespace

KeptScans::KeptScans(std::string folder, std::size_t perPlace)
    : folder_(std::move(folder)), perPlace_(perPlace) {}

std::string KeptScans::DefaultFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    // A relative one is to be ignored, as the base-directory rules say.
    if (data != nullptr && data[0] == '/') {
        return std::string(data) + "/zelk";
    }
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] == '/' ? std::string(home) + "/.local/share/zelk"
                                             : std::string();
}

std::int64_t KeptScans::Now() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<std::int64_t>(now.tv_sec) * kNano + now.tv_nsec;
}

std::string KeptScans::FileFor(const std::string& place, std::int64_t stamp) const {
    return folder_ + "/" + Encode(place) + kSeparator + DateText(stamp) + kSuffix;
}

std::optional<std::int64_t> KeptScans::StampOf(const std::string& file, const std::string& place) {
    const std::string_view name = std::string_view(file).substr(file.rfind('/') + 1);
    const std::string encoded = Encode(place);
    const std::string_view suffix = kSuffix;
    std::int64_t stamp = 0;
    if (name.size() != encoded.size() + 1 + kDateChars + suffix.size() ||
        !name.starts_with(encoded) || name[encoded.size()] != kSeparator ||
        !name.ends_with(suffix) || !ParseDate(name.substr(encoded.size() + 1, kDateChars), stamp)) {
        return std::nullopt;
    }
    return stamp;
}

std::vector<KeptScans::Kept> KeptScans::List(const std::string& place) const {
    std::vector<Kept> kept;
    DIR* dir = folder_.empty() ? nullptr : ::opendir(folder_.c_str());
    if (dir == nullptr) {
        return kept;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (const auto stamp = StampOf(entry->d_name, place)) {
            kept.push_back({folder_ + "/" + entry->d_name, *stamp});
        }
    }
    ::closedir(dir);
    std::sort(kept.begin(), kept.end(),
              [](const Kept& a, const Kept& b) { return a.Stamp > b.Stamp; });
    return kept;
}

std::optional<KeptScans::Kept> KeptScans::Previous(const std::string& place,
                                                   std::int64_t stamp) const {
    for (Kept& kept : List(place)) {
        if (kept.Stamp < stamp) {
            return std::move(kept);
        }
    }
    return std::nullopt;
}

void KeptScans::MakeFolder() const {
    if (folder_.empty()) {
        throw EScanFileError(std::strerror(ENOENT));
    }
    // Every missing folder on the way is made private too, as the base-directory rules ask.
    for (std::size_t slash = folder_.find('/', 1);; slash = folder_.find('/', slash + 1)) {
        const std::string part = folder_.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) == 0) {
            [[maybe_unused]] const int exact = ::chmod(part.c_str(), 0700);  // whatever the umask
        } else if (errno != EEXIST) {
            throw EScanFileError(std::strerror(errno));
        }
        if (slash == std::string::npos) {
            return;
        }
    }
}

bool KeptScans::Keep(const TFileAttr& root, const std::string& place, std::int64_t stamp,
                     const ScanFileWriter::SaveControl& control) const {
    MakeFolder();
    std::string file = FileFor(place, stamp);
    while (Exists(file)) {
        file = FileFor(place, ++stamp);
    }
    ScanFileWriter::SaveControl lean = control;
    lean.Lean = true;
    if (!ScanFileWriter::Save(file, root, place, stamp / kNano, lean, 0600)) {
        return false;
    }
    Prune(place);
    return true;
}

void KeptScans::Prune(const std::string& place) const {
    const std::vector<Kept> kept = List(place);
    for (std::size_t i = perPlace_; i < kept.size(); ++i) {
        ::unlink(kept[i].File.c_str());
    }
}

}  // namespace zelk
