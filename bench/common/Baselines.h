#pragma once
// Baselines and figures the benchmarks share: du over a directory, the median of runs, and the
// process's resident memory.

#include <string>
#include <vector>

namespace zelk::bench {

// Wall time in seconds of a program found on PATH, its output discarded. Exits when it cannot
// run.
double RunProgram(const std::vector<std::string>& argv);
// RunProgram of `du -sxb directory`.
double RunDu(const std::string& directory);

double Median(std::vector<double> values);

// Resident bytes now, and the peak so far.
long ResidentBytes();
long PeakResidentBytes();

}  // namespace zelk::bench
