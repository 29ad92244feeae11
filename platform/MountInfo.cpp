#include "platform/MountInfo.h"

#include <charconv>
#include <optional>

namespace zelk {
namespace {

constexpr bool IsOctal(char c) {
    return c >= '0' && c <= '7';
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t pos = 0;
    while (pos < line.size()) {
        while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) {
            ++pos;
        }
        const std::size_t start = pos;
        while (pos < line.size() && line[pos] != ' ' && line[pos] != '\t') {
            ++pos;
        }
        if (pos > start) {
            fields.push_back(line.substr(start, pos - start));
        }
    }
    return fields;
}

std::optional<unsigned> ParseNumber(std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || text.empty()) {
        return std::nullopt;
    }
    return value;
}

std::optional<MountEntry> ParseLine(std::string_view line) {
    // id parent major:minor root mount-point options [optional fields...] - type source super
    const auto fields = SplitFields(line);
    if (fields.size() < 10 || !ParseNumber(fields[0]) || !ParseNumber(fields[1])) {
        return std::nullopt;
    }
    std::size_t dash = 6;
    while (dash < fields.size() && fields[dash] != "-") {
        ++dash;
    }
    if (dash + 3 > fields.size()) {
        return std::nullopt;
    }
    const std::string_view device = fields[2];
    const std::size_t colon = device.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const auto major = ParseNumber(device.substr(0, colon));
    const auto minor = ParseNumber(device.substr(colon + 1));
    if (!major || !minor) {
        return std::nullopt;
    }
    MountEntry entry;
    entry.Major = *major;
    entry.Minor = *minor;
    if (!DecodeMountEscapes(fields[3], entry.Root) ||
        !DecodeMountEscapes(fields[4], entry.MountPoint) ||
        !DecodeMountEscapes(fields[dash + 1], entry.FsType) ||
        !DecodeMountEscapes(fields[dash + 2], entry.Source)) {
        return std::nullopt;
    }
    if (entry.MountPoint.empty() || entry.MountPoint.front() != '/') {
        return std::nullopt;
    }
    return entry;
}

}  // namespace

bool DecodeMountEscapes(std::string_view field, std::string& decoded) {
    decoded.clear();
    decoded.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) &&
            IsOctal(field[i + 2]) && IsOctal(field[i + 3])) {
            const int value =
                (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            if (value > 0xFF) {
                decoded += field[i];
                continue;
            }
            if (value == 0) {
                return false;
            }
            decoded += static_cast<char>(value);
            i += 3;
        } else {
            decoded += field[i];
        }
    }
    return true;
}

bool IsUnderMountPoint(std::string_view path, std::string_view mountPoint) {
    if (mountPoint == "/") {
        return path.starts_with('/');
    }
    return path.starts_with(mountPoint) &&
           (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

std::vector<MountEntry> ParseMountInfo(std::string_view text) {
    std::vector<MountEntry> entries;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        if (auto entry = ParseLine(text.substr(pos, end - pos))) {
            entries.push_back(std::move(*entry));
        }
        pos = end + 1;
    }
    return entries;
}

}  // namespace zelk
