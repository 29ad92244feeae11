#pragma once
// Record trees as a finished scan leaves them, without touching a disk: a fixed seed gives the
// same tree each time, with varied fan-out and depth, and sizes, dates and levels summed upwards.

#include <cstddef>
#include <memory>

#include "scan/TFileAttr.h"

namespace zelk::bench {

// count records; a record below maxDepth levels gets no sub-directories (0: all under the root).
std::unique_ptr<TFileAttr> GenerateRecordTree(std::size_t count, std::size_t maxDepth = 12);

}  // namespace zelk::bench
