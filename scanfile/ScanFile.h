#pragma once
// A scan file as read: its records and root name, and the bounds a read keeps to.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "scan/TFileAttr.h"

namespace zelk {

struct ScanFileLimits {
    std::uint64_t MaxDirectories = DefaultMaxDirectories();
    std::int32_t MaxDepth = 1'000'000;
    // The longest text (a name, or any skipped string) plus the parser's nesting stack.
    std::size_t MaxTextBytes = 64u << 20;
    std::uint64_t MaxRatio = 1000;
    // Asked at each directory; true abandons the read.
    std::function<bool()> Stopped;

    // As many records as half the machine's memory holds.
    static std::uint64_t DefaultMaxDirectories();
};

struct ScanFile {
    std::unique_ptr<TFileAttr> Root;
    std::string RootName;  // the scanned path, as the export names its root
};

}  // namespace zelk
