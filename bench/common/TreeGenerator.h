#pragma once
// Generates a realistic directory tree for benchmarks: a fixed seed gives the same tree each
// time, with varied fan-out and depth, small files and a few sparse ones.

#include <cstddef>
#include <cstdint>
#include <string>

namespace zelk::bench {

struct TreeShape {
    std::size_t Directories = 40000;  // below the root
    std::size_t Files = 400000;
    int MinFanOut = 2;
    int MaxFanOut = 12;
    int MaxDepth = 12;
    int SparsePercent = 3;
    std::uint32_t Seed = 20261207;
};

struct TreeCounts {
    std::size_t Directories = 0;
    std::size_t Files = 0;
    std::size_t SparseFiles = 0;
    int Depth = 0;
    std::uint64_t Bytes = 0;  // sum of file sizes
};

// Generates into directory, which must exist and be empty.
TreeCounts GenerateTree(const std::string& directory, const TreeShape& shape = {});

// A fresh directory made by mkdtemp below base ("" means $TMPDIR or /tmp).
std::string MakeTempDirectory(const std::string& base = "");

struct GeneratedTree {
    std::string Directory;
    TreeCounts Counts;
};

// A tree of the default shape in a fresh directory below base, its place and counts printed.
GeneratedTree GenerateReportedTree(const std::string& base = "");

// Removes directory and everything below it.
void RemoveTree(const std::string& directory);

}  // namespace zelk::bench
