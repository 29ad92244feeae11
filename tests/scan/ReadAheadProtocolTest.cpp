// Guards the calls between the walk and the reading-ahead threads, with a thread held at a
// known step: the walk that takes a directory a thread is listing gets its entries (listing
// what comes next meanwhile), and closing a source while a thread opens through it, or
// unregistering it while a thread lists for it, returns only once that thread is done with it.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <future>
#include <thread>

#include "ScanTestSupport.h"
#include "platform/ReadAhead.h"

namespace zelk::test {
namespace {

using Step = ReadAhead::Step;
using Names = std::vector<std::string>;

// Opened once; a wait gives up after a while, so that a fault fails instead of hanging.
struct Latch {
    std::promise<void> promise;
    std::shared_future<void> opened = promise.get_future().share();
    void Open() { promise.set_value(); }
    bool Wait(std::chrono::milliseconds most = std::chrono::seconds(30)) const {
        return opened.wait_for(most) == std::future_status::ready;
    }
};

class ReadAheadProtocol : public ::testing::Test {
  protected:
    void SetUp() override {
        tree.Make({"p/", "p/t0/", "p/t1/", "p/t0/a", "p/t0/b", "p/t1/c"});
        fd_ = open(tree.PathOf("p").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ASSERT_EQ(fstat(fd_, &self_), 0);
    }
    void TearDown() override { close(fd_); }

    ReadAhead::Source* Register(ReadAhead& ahead) {
        std::vector<ReadAhead::Target> targets;
        for (const std::string name : {"t0", "t1"}) {
            struct stat st {};
            EXPECT_EQ(stat(tree.PathOf("p/" + name).c_str(), &st), 0);
            targets.push_back(ReadAhead::Target{targets.size() + 2, name, IdOf(st), ""});
        }
        return ahead.Register(fd_, self_, std::move(targets));
    }

    // Holds the reading thread that reaches step for t0 until release opens.
    ReadAhead::PauseHook HoldAt(Step step) {
        return [this, step](Step now, const ReadAhead::Target& target) {
            if (now == step && target.name == "t0" && std::this_thread::get_id() != walk_) {
                held.Open();
                EXPECT_TRUE(release.Wait());
            }
        };
    }

    static Names Take(ReadAhead& ahead, ReadAhead::Source* source, std::size_t index) {
        ReadAhead::Result result;
        Names names;
        EXPECT_TRUE(ahead.Take(source, index, result));
        for (const FindData& entry : result.entries) {
            names.push_back(entry.Name);
        }
        close(result.fd);  // -1 when none was kept
        std::ranges::sort(names);
        return names;
    }

    TempTree tree;
    MountFence fence{"/", {}};
    Latch held;
    Latch release;
    int fd_ = -1;
    struct stat self_ {};
    const std::thread::id walk_ = std::this_thread::get_id();
};

TEST_F(ReadAheadProtocol, TakingADirectoryAThreadListsWaitsForItsEntriesAndListsTheNext) {
    const ReadAhead::PauseHook hold = HoldAt(Step::Listing);
    bool walkListedNext = false;
    ReadAhead ahead(1, fence, [&](Step step, const ReadAhead::Target& target) {
        if (step == Step::Opening && target.name == "t1" && std::this_thread::get_id() == walk_) {
            walkListedNext = true;
            release.Open();
        }
        hold(step, target);
    });
    ReadAhead::Source* source = Register(ahead);
    ASSERT_TRUE(held.Wait());
    EXPECT_EQ(Take(ahead, source, 2), (Names{".", "..", "a", "b"}));
    EXPECT_EQ(Take(ahead, source, 3), (Names{".", "..", "c"}));
    EXPECT_TRUE(walkListedNext);
    ahead.Unregister(source);
}

class HeldCall : public ReadAheadProtocol, public ::testing::WithParamInterface<Step> {};

TEST_P(HeldCall, ReturnsOnlyOnceTheHeldThreadIsDoneWithTheSource) {
    const long before = OpenDescriptors();
    {
        ReadAhead ahead(1, fence, HoldAt(GetParam()));
        ReadAhead::Source* source = Register(ahead);
        ASSERT_TRUE(held.Wait());
        // Released late enough that a call which does not wait returns first.
        std::thread releaser([this] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            release.Open();
        });
        if (GetParam() == Step::Opening) {
            ahead.CloseSource(source);
            EXPECT_TRUE(release.Wait(std::chrono::milliseconds(0)));
            // Opened through the source before it closed: t0 is listed whole.
            EXPECT_EQ(Take(ahead, source, 2), (Names{".", "..", "a", "b"}));
        }
        ahead.Unregister(source);
        EXPECT_TRUE(release.Wait(std::chrono::milliseconds(0)));
        releaser.join();
    }
    EXPECT_EQ(OpenDescriptors(), before);
}

INSTANTIATE_TEST_SUITE_P(ClosingWhileAThreadOpensOrUnregisteringWhileItLists, HeldCall,
                         ::testing::Values(Step::Opening, Step::Listing));

}  // namespace
}  // namespace zelk::test
