// Guards how a walk ends on an error. Raised three levels deep at each point where the walk
// calls out (the status step, an entry, opening a directory), with and
// without read-ahead, the error reaches the last-chance report after every level has been
// released, deepest first (under ASan a listing reaching a freed parent would report instead),
// with no descriptor left open.

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <new>
#include <stdexcept>

#include "ScanTestSupport.h"
#include "ScriptedService.h"
#include "runtime/TThread.h"

namespace zelk::test {
namespace {

struct RaisePoint {
    const char* name;
    const char* what;  // of the error raised
    std::function<void(ScriptedService&, TSearchThread&, RecordingStatusLine&)> install;
};

const RaisePoint kRaisePoints[] = {
    {"status step", "step",
     [](ScriptedService& files, TSearchThread& thread, RecordingStatusLine& line) {
         line.OnText = [] { throw std::runtime_error("step"); };
         // Set only now, so that the first step, due at once, comes with three levels open.
         files.AfterEntry = [&thread, &line](const std::string& dir, const std::string& name) {
             if (dir == "b" && name == "c") {
                 thread.StatusBar = &line;
             }
         };
     }},
    {"entry", "std::bad_alloc",
     [](ScriptedService& files, TSearchThread&, RecordingStatusLine&) {
         files.AfterEntry = [](const std::string& dir, const std::string& name) {
             if (dir == "c" && name == "f") {
                 throw std::bad_alloc();
             }
         };
     }},
    {"open", "open",
     [](ScriptedService& files, TSearchThread&, RecordingStatusLine&) {
         files.BeforeOpen = [](const std::string& name) {
             if (name == "c") {
                 throw std::runtime_error("open");
             }
         };
     }},
};

class WalkError : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        tree.Make({"a/", "a/b/", "a/b/c/", "a/b/c/d/", "a/b2/", "a/b2/x/", "z/", "a/b/c/f=10",
                   "a/b/c/d/g=10"});
    }

    TempTree tree;
};

// In the death test's process: the scan, whose error is reported with the descriptors it left.
void ScanRaising(const RaisePoint& point, int threads) {
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
    const auto install = [&](TSearchThread& thread) { point.install(files, thread, line); };
    Scan({.Files = &files, .BeforeStart = install, .ReadAheadThreads = threads});
    std::fprintf(stderr, "the walk ended without the error\n");
    std::_Exit(0);
}

TEST_P(WalkError, RaisedThreeLevelsDeepReachesTheLastChanceWithEverythingReleased) {
    for (const RaisePoint& point : kRaisePoints) {
        SCOPED_TRACE(point.name);
        EXPECT_EXIT(ScanRaising(point, GetParam()), ::testing::ExitedWithCode(1),
                    std::string("last chance: ") + point.what + ", 0 descriptors more");
    }
}

INSTANTIATE_TEST_SUITE_P(ReadAhead, WalkError, ::testing::Values(0, 2),
                         [](const auto& info) { return "Threads" + std::to_string(info.param); });

}  // namespace
}  // namespace zelk::test
