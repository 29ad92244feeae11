#pragma once
// Baselines and figures the benchmarks share: du over a directory, and the median of runs.

#include <string>
#include <vector>

namespace zelk::bench {

// Wall time in seconds of `du -sxb directory`, its output discarded. Exits when du cannot run.
double RunDu(const std::string& directory);

double Median(std::vector<double> values);

}  // namespace zelk::bench
