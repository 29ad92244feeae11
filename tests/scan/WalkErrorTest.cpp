// Guards how a walk ends on an error. Raised three levels deep at each point where the walk
// calls out (the status step, an entry, opening a directory), with and
// without read-ahead, the error reaches the last-chance report after every level has been
// released, deepest first (under ASan a listing reaching a freed parent would report instead),
// with no descriptor left open.

#include <gtest/gtest.h>

#include <cstdio>
#include <new>
#include <stdexcept>

#include "ScanTestSupport.h"
#include "runtime/TThread.h"

namespace zelk::test {
namespace {

// Where the walk is made to raise, three levels deep, and the error's what().
const std::pair<std::string, std::string> kRaisePoints[] = {
    {"status step", "step"}, {"entry", "std::bad_alloc"}, {"open", "open"}};

void Raise(const std::string& point, ScriptedService& files, TSearchThread& thread,
           RecordingStatusLine& line) {
    line.OnText = [] { throw std::runtime_error("step"); };
    files.AfterEntry = [&thread, &line, point](const std::string& dir, const std::string& name) {
        if (point == "status step" && dir == "b" && name == "c") {
            // Set only now, so that the first step, due at once, comes with three levels open.
            thread.StatusBar = &line;
        } else if (point == "entry" && dir == "c" && name == "f") {
            throw std::bad_alloc();
        }
    };
    files.BeforeOpen = [point](const std::string& name) {
        if (point == "open" && name == "c") {
            throw std::runtime_error("open");
        }
    };
}

class WalkError : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        tree.Make({"a/", "a/b/", "a/b/c/", "a/b/c/d/", "a/b2/", "a/b2/x/", "z/", "a/b/c/f=10",
                   "a/b/c/d/g=10"});
    }

    TempTree tree;
};

// In the death test's process: the scan, whose error is reported with the descriptors it left.
void ScanRaising(const std::string& point, int threads) {
    ScriptedService files;
    files.SortByName = false;
    RecordingStatusLine line;
    const long before = OpenDescriptors();
    TThread::SetLastChanceHook([before](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "last chance: %s, %ld descriptors more\n", e.what(),
                         OpenDescriptors() - before);
        }
    });
    const auto install = [&](TSearchThread& thread) { Raise(point, files, thread, line); };
    Scan({.Files = &files, .BeforeStart = install, .ReadAheadThreads = threads});
    std::fprintf(stderr, "the walk ended without the error\n");
    std::_Exit(0);
}

TEST_P(WalkError, RaisedThreeLevelsDeepReachesTheLastChanceWithEverythingReleased) {
    for (const auto& [point, what] : kRaisePoints) {
        SCOPED_TRACE(point);
        EXPECT_EXIT(ScanRaising(point, GetParam()), ::testing::ExitedWithCode(1),
                    "last chance: " + what + ", 0 descriptors more");
    }
}

INSTANTIATE_TEST_SUITE_P(ReadAhead, WalkError, ::testing::Values(0, 2),
                         [](const auto& info) { return "Threads" + std::to_string(info.param); });

}  // namespace
}  // namespace zelk::test
