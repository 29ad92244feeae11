#pragma once
// A scan file as read: its records and root name, and the bounds a read keeps to.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "scan/TFileAttr.h"

namespace zelk {

struct ScanFileLimits {
    // The one budget of everything a read makes, counted together in bytes of memory: records
    // and their names, the names of the open directories' entries, hard-link entries, open
    // levels and the parser's stack. A small file that unpacks to a huge tree meets it, however
    // well it packs.
    std::uint64_t MaxBytes = DefaultMaxBytes();
    std::int32_t MaxDepth = 1'000'000;
    // The longest text (a name, or any skipped string).
    std::size_t MaxTextBytes = 64u << 20;
    // Asked at each directory and at each buffer of unpacked text; true abandons the read.
    std::function<bool()> Stopped;

    // Half the machine's memory.
    static std::uint64_t DefaultMaxBytes();
};

struct ScanFile {
    std::unique_ptr<TFileAttr> Root;
    std::string RootName;  // the scanned path, as the export names its root
};

}  // namespace zelk
