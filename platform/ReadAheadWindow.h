#pragma once
// How much is read ahead of a walk, and by how many threads at most. Pure arithmetic on what the
// read-ahead tells it; its lock is the caller's.

#include <cstddef>

namespace zelk {

class ReadAheadWindow {
  public:
    // Entries a thread lists of one directory before it leaves it to the walk.
    static constexpr std::size_t kMostEntries = 4096;
    // Bytes of waiting entries nearer to the walk than a directory to be started.
    static constexpr std::size_t kBudget = 1u << 20;
    // Descriptors of listed directories kept at most for the walk to take over (it would open
    // them again): most of those waiting, few against the process's limit, one per thread at
    // least.
    static constexpr std::size_t kMostKept = 64;
    static std::size_t MostKept(int threads);  // threads: as the read-ahead is made with

    // A count of threads that adapts while the walk runs (ReadAheadTuner).
    static constexpr int kAdapting = -1;
    // The count of threads the environment asks for: ZELK_READ_AHEAD fixes it (0: none), else
    // kAdapting.
    static int ThreadsFromEnvironment();

    // Whether a directory is started while bytesNearer of results wait nearer to the walk.
    static bool Admits(std::size_t bytesNearer) { return bytesNearer < kBudget; }
};

}  // namespace zelk
