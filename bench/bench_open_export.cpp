// Opening a scan file: a million-directory export read into records, against `gdu -n -f` reading
// the same file in the same run; and the peak memory per directory while opening. Each reader
// runs as its own process; ours reports the growth of its own peak over what it held before.
// Given another build of this benchmark (an earlier version), opens the same file with its
// `--open` too, alternately with ours, for the cost of what this version checks while reading.
// Usage: bench_open_export [directories [earlier-bench_open_export]]   (default one million)

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/Baselines.h"
#include "common/RecordTreeGenerator.h"
#include "scanfile/ScanFileReader.h"
#include "scanfile/ScanFileWriter.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Run {
    double seconds;
    std::string output;
};

// Runs a program to its end: wall time and what it wrote to standard output.
Run Measure(const std::vector<std::string>& command) {
    int out[2];
    if (pipe(out) != 0) {
        std::exit(1);
    }
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        std::vector<char*> args;
        for (const std::string& part : command) {
            args.push_back(const_cast<char*>(part.c_str()));
        }
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(out[1]);
    std::string output;
    char buffer[4096];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) {
        output.append(buffer, static_cast<std::size_t>(n));
    }
    close(out[0]);
    int status = 0;
    waitpid(child, &status, 0);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", command[0].c_str());
        std::exit(1);
    }
    return {seconds, output};
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zelk;
    if (argc == 3 && std::strcmp(argv[1], "--open") == 0) {
        const long before = bench::ResidentBytes();
        const ScanFile opened = ScanFileReader::Read(argv[2]);
        std::printf("%ld\n", bench::PeakResidentBytes() - before);
        return opened.Root != nullptr ? 0 : 1;
    }
    const std::size_t count = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1'000'000;
    char dir[] = "/tmp/zelk-bench-open-XXXXXX";
    if (mkdtemp(dir) == nullptr) {
        return 1;
    }
    const std::string file = std::string(dir) + "/tree.json";
    const std::string empty = std::string(dir) + "/empty.json";
    {
        const auto tree = bench::GenerateRecordTree(count);
        ScanFileWriter::Save(file, *tree, "/srv", 0);
        ScanFileWriter::Save(empty, *bench::GenerateRecordTree(1), "/srv", 0);
    }
    const std::string self = argv[0];
    const long base = std::atol(Measure({self, "--open", empty}).output.c_str());
    std::vector<double> ours;
    std::vector<double> gdu;
    std::vector<double> earlier;
    const std::string before = argc > 2 ? argv[2] : "";
    long peak = 0;
    for (int round = 0; round < (before.empty() ? 3 : 7); ++round) {
        const Run run = Measure({self, "--open", file});
        ours.push_back(run.seconds);
        peak = std::max(peak, std::atol(run.output.c_str()));
        gdu.push_back(Measure({"gdu", "-n", "-p", "-s", "-f", file}).seconds);
        if (!before.empty()) {
            earlier.push_back(Measure({before, "--open", file}).seconds);
        }
    }
    const double oursTime = bench::Median(ours);
    const double gduTime = bench::Median(gdu);
    std::printf("open %zu directories: %.3f s, gdu -n -f: %.3f s, ratio %.2f x (target <= 1)\n",
                count, oursTime, gduTime, oursTime / gduTime);
    if (!earlier.empty()) {
        std::printf("open %zu directories, earlier build: %.3f s, ratio %.3f x (target <= 1)\n",
                    count, bench::Median(earlier), oursTime / bench::Median(earlier));
    }
    std::printf("peak memory while opening: %.0f B per directory (target <= 280)\n",
                static_cast<double>(peak - base) / static_cast<double>(count));
    std::remove(file.c_str());
    std::remove(empty.c_str());
    rmdir(dir);
    return 0;
}
