// Guards a parent that the walk closed while it went deep (its entries read into memory) and
// opened again on the way back: its remaining sub-directories are still read ahead, and when
// the process has no descriptor left at that reopen, those the read-ahead keeps are given back,
// so no remaining sub-directory is counted unreadable. Renamed, moved or replaced meanwhile,
// the parent the walk returns to is still the directory it listed, never another one found at
// its path.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <set>
#include <thread>

#include "ScanTestSupport.h"
#include "platform/DescriptorBudget.h"
#include "platform/ReadAheadWindow.h"

namespace zelk::test {
namespace {

// Deep enough below the parent that the walk's descriptors run out and the parent is closed.
constexpr int kChain = DescriptorBudget::kOpenLevels + 6;

// The sub-directories of path in the order its listing gives them.
std::vector<std::string> SubdirectoriesInOrder(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path)) {
        if (entry.is_directory()) {
            names.push_back(entry.path().filename());
        }
    }
    return names;
}

// The chain's deepest directory.
std::string MakeChain(const TempTree& tree, std::string relative, int depth) {
    for (int i = 0; i < depth; ++i, relative += "/x") {
        tree.MakeDir(relative);
    }
    return relative.substr(0, relative.size() - 2);
}

// The names in directory of the directories this process holds open.
std::set<std::string> OpenBelow(const std::string& directory) {
    std::set<std::string> names;
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const std::filesystem::path target = std::filesystem::read_symlink(fd.path(), error);
        if (!error && target.parent_path() == directory) {
            names.insert(target.filename());
        }
    }
    return names;
}

// Waits for what other threads do, never longer than a generous bound.
template <typename Condition>
bool WaitFor(Condition done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    return done();
}

class ReopenedParent : public ::testing::Test {
  protected:
    // The brief of the walk without read-ahead, for the same tree.
    std::string Plain() { return Brief(*Scan({.Files = &files, .ReadAheadThreads = 0})); }

    TempTree tree;
    ScriptedService files{false};
};

TEST_F(ReopenedParent, RemainingSubdirectoriesAreReadAheadAfterTheReopen) {
    // Too long to hold whole when it is entered: only its reopen can have it read ahead.
    tree.Make({"p/", "p/e0/", "p/e0/f=1", "p/e1/", "p/e1/f=2", "p/e2/", "p/e2/f=3", "p/e3/",
               "p/e3/f=4", "p/e4/", "p/e4/f=5", "p/e5/", "p/e5/f=6"});
    for (std::size_t i = 0; i <= ReadAheadWindow::kMostEntries; ++i) {
        tree.WriteFile("p/f" + std::to_string(i), 0);
    }
    const std::vector<std::string> order = SubdirectoriesInOrder(tree.PathOf("p"));
    ASSERT_EQ(order.size(), 6u);
    MakeChain(tree, "p/" + order[0] + "/x", kChain);
    const std::set<std::string> remaining(order.begin() + 1, order.end());
    const std::string plain = Plain();

    files.SortByName = false;
    bool readAhead = false;
    files.AfterEntry = [&](const std::string& dir, const std::string& name) {
        if (dir == "p" && name == order[1]) {
            readAhead = WaitFor(
                [&] { return std::ranges::includes(OpenBelow(tree.PathOf("p")), remaining); });
        }
    };
    EXPECT_EQ(Brief(*Scan({.Files = &files, .ReadAheadThreads = 1})), plain);
    EXPECT_TRUE(readAhead) << "no descriptor kept for every remaining sub-directory";
}

TEST_F(ReopenedParent, NoDescriptorLeftAtTheReopenLeavesNoSubdirectoryUnreadable) {
    tree.Make({"d0/", "d1/", "d2/", "d3/", "d4/", "d5/", "d6/", "d7/"});
    const std::vector<std::string> top = SubdirectoriesInOrder(tree.Root());
    const std::string parent = top[0];
    tree.Make({parent + "/e0/", parent + "/e1/"});
    const std::vector<std::string> below = SubdirectoriesInOrder(tree.PathOf(parent));
    const std::string deep = parent + "/" + below[0];
    // Longer than the read-ahead lists: the walk itself must open it after the reopen.
    const std::string after = parent + "/" + below[1];
    for (std::size_t i = 0; i <= ReadAheadWindow::kMostEntries; ++i) {
        tree.WriteFile(after + "/f" + std::to_string(i), 1);
    }
    MakeChain(tree, deep + "/a", kChain);
    tree.WriteFile(deep + "/z", 1);
    const std::string plain = Plain();

    files.SortByName = false;
    files.SortedAnyway = {below[0]};  // "a" and its chain before "z"
    const std::set<std::string> others(top.begin() + 1, top.end());
    bool kept = false;
    std::vector<int> taken;  // every descriptor left
    files.AfterEntry = [&](const std::string& dir, const std::string& name) {
        if (dir == below[0] && name == "a") {
            // The read-ahead keeps some of the root's other sub-directories open for the walk.
            kept = WaitFor([&] {
                const std::set<std::string> open = OpenBelow(tree.Root());
                return std::ranges::any_of(others, [&](const auto& n) { return open.count(n); });
            });
        } else if (dir == below[0] && name == "z") {
            // The parent is closed now, and is opened again next.
            for (int fd; (fd = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0)) >= 0;) {
                taken.push_back(fd);
            }
        }
    };
    const std::string walked = Brief(
        *Scan({.Files = &files, .ReadAheadThreads = 1, .FileLimit = OpenDescriptors() + 100}));
    std::ranges::for_each(taken, close);

    EXPECT_TRUE(kept);
    EXPECT_FALSE(taken.empty());
    EXPECT_EQ(walked, plain);
}

// Made while the walk is at the bottom of p/e0, a chain deep enough that p was closed: moves
// (from, to), then, if replace, another p whose e1 the walk must never count.
const struct {
    const char* name;
    std::vector<std::pair<const char*, const char*>> moves;
    bool replace;
    bool nextReached;  // p's e1 is walked (else it is unreadable)
} kChanges[] = {
    {"parent renamed", {{"p", "p2"}}, false, true},
    {"parent moved", {{"p", "a/p"}}, false, true},
    {"parent replaced", {{"p", "a/old"}}, true, true},
    {"child moved out", {{"p/e0", "a/e0"}}, false, true},
    {"child moved out, parent replaced", {{"p/e0", "a/e0"}, {"p", "a/old"}}, true, false},
};

TEST(ReopenedParentChanged, TheWalkReturnsToTheDirectoryItListedOrCountsTheRestUnreadable) {
    for (const auto& change : kChanges) {
        for (const int threads : {0, 1}) {
            SCOPED_TRACE(std::string(change.name) + ", threads " + std::to_string(threads));
            TempTree tree;
            tree.Make({"a/", "p/", "p/e0/", "p/e1/", "p/g=3", "p/e1/f=5"});
            tree.WriteFile(MakeChain(tree, "p/e0/x", kChain) + "/deep", 7);
            ScriptedService files{false};
            const ScanOptions options{.Files = &files, .ReadAheadThreads = threads};
            const std::string plain = Brief(*Scan(options));

            files.AfterEntry = [&](const std::string& dir, const std::string& name) {
                if (dir != "x" || name != "deep") {
                    return;
                }
                for (const auto& [from, to] : change.moves) {
                    ASSERT_EQ(rename(tree.PathOf(from).c_str(), tree.PathOf(to).c_str()), 0);
                }
                if (change.replace) {
                    tree.Make({"p/", "p/e1/", "p/e1/new=1000"});
                }
            };
            const auto root = Scan(options);
            const TFileAttr* next = Find(*root, "p/e1");
            ASSERT_NE(next, nullptr);
            EXPECT_NE(next->Size, 1000);
            // Read ahead before the change, e1 may still be reached.
            if (change.nextReached) {
                EXPECT_EQ(Brief(*root), plain);
            } else if (threads == 0) {
                EXPECT_TRUE(next->Unreadable);
                EXPECT_EQ(Find(*root, "p")->Size, 10);
            }
        }
    }
}

}  // namespace
}  // namespace zelk::test
