// Guards reading ahead: with read-ahead threads the walk gives, field by field, the record tree
// and status steps it gives without them, over two thousand directories with files, sparse
// files, hard links, long and odd names, directories that cannot be listed and (as root) a
// volume mounted inside; and a stop at a fixed directory leaves the same partial tree.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <random>
#include <utility>

#include "ScanTestSupport.h"
#include "ScriptedService.h"
#include "platform/VolumeTable.h"

namespace zelk::test {
namespace {

void ExpectSameTree(const TFileAttr& without, const TFileAttr& with) {
    std::vector<std::pair<const TFileAttr*, const TFileAttr*>> pending{{&without, &with}};
    while (!pending.empty()) {
        const auto [a, b] = pending.back();
        pending.pop_back();
        SCOPED_TRACE(a->Path());
        ASSERT_EQ(a->Name, b->Name);
        ASSERT_EQ(a->Children.size(), b->Children.size());
        EXPECT_EQ(a->Size, b->Size);
        EXPECT_EQ(a->CompressedSize, b->CompressedSize);
        EXPECT_EQ(a->LastWrite, b->LastWrite);
        EXPECT_EQ(a->Searched, b->Searched);
        EXPECT_EQ(a->Level, b->Level);
        EXPECT_EQ(a->MaxLevel, b->MaxLevel);
        EXPECT_EQ(a->Unreadable, b->Unreadable);
        for (std::size_t i = 0; i < a->Children.size(); ++i) {
            pending.emplace_back(a->Children[i].get(), b->Children[i].get());
        }
    }
}

class ReadAheadWalk : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* saved = getenv("ZELK_READ_AHEAD");
        saved_ = saved != nullptr ? saved : "";
        std::mt19937 random(20261207);
        std::vector<std::string> dirs{""};
        for (int i = 1; i <= 2000; ++i) {
            // Later directories mostly go below recent ones, so the tree has depth.
            const std::size_t pick =
                dirs.size() - 1 - random() % std::min<std::size_t>(dirs.size(), 40);
            const std::string name = i % 97 == 0
                                         ? "a long name, past short strings " + std::to_string(i)
                                         : (i % 89 == 0 ? "back\\slash" : "d") + std::to_string(i);
            dirs.push_back(dirs[pick].empty() ? name : dirs[pick] + "/" + name);
            tree.MakeDir(dirs.back());
            for (unsigned f = random() % 4; f > 0; --f) {
                tree.WriteFile(dirs.back() + "/f" + std::to_string(f), random() % 5000);
            }
            if (i % 50 == 0) {
                tree.WriteSparse(dirs.back() + "/sparse", 1 << 20, 100);
                ASSERT_EQ(link(tree.PathOf(dirs.back() + "/sparse").c_str(),
                               tree.PathOf(dirs[i / 2] + "/link").c_str()),
                          0);
            }
        }
        tree.SetTime(dirs[1234], "2031-05-06 07:08:09");
        // Refused listings: for anyone but root by its mode, for everyone by the service.
        ASSERT_EQ(chmod(tree.PathOf(dirs[700]).c_str(), 0), 0);
        files.FailListingOf = {"d900", "d1500"};
        files.SortByName = false;
        if (geteuid() == 0 &&
            mount("zelk-test", tree.PathOf(dirs[300]).c_str(), "tmpfs", 0, "size=1m") == 0) {
            mounted_ = tree.PathOf(dirs[300]);
            Volume volume;
            volume.Letter = 'c';
            volume.MountPoint = tree.Root();
            InstallVolumeTable(std::make_shared<VolumeTable>(std::vector<Volume>{volume},
                                                             std::vector<std::string>{mounted_}));
        }
    }
    void TearDown() override {
        if (!mounted_.empty()) {
            umount2(mounted_.c_str(), MNT_DETACH);
        }
        setenv("ZELK_READ_AHEAD", saved_.c_str(), 1);
    }

    // The walk with threads read-ahead threads, its status texts in texts; stopped when the
    // walk is handed the entry named stopAt.
    std::unique_ptr<TFileAttr> ScanWith(int threads, std::vector<std::string>& texts,
                                        const std::string& stopAt = "") {
        setenv("ZELK_READ_AHEAD", std::to_string(threads).c_str(), 1);
        RecordingStatusLine status;
        ScanOptions options{'c', &status, &files};
        options.BeforeStart = [this, stopAt](TSearchThread& thread) {
            files.AfterEntry = [&thread, stopAt](const std::string&, const std::string& name) {
                if (name == stopAt) {
                    thread.RequestStop();
                }
            };
        };
        auto root = Scan(options);
        texts = std::move(status.Texts);
        return root;
    }

    TempTree tree;
    ScriptedService files;
    std::string saved_;
    std::string mounted_;
};

TEST_F(ReadAheadWalk, GivesTheRecordsAndStepsOfTheWalkWithoutIt) {
    std::vector<std::string> without;
    const auto expected = ScanWith(0, without);
    ASSERT_GT(without.size(), 1900u);
    EXPECT_TRUE(expected->Searched);
    for (const int threads : {1, 4}) {
        SCOPED_TRACE(threads);
        std::vector<std::string> with;
        const auto root = ScanWith(threads, with);
        EXPECT_EQ(with, without);
        ExpectSameTree(*expected, *root);
    }
}

TEST_F(ReadAheadWalk, StopsAtTheSameDirectoryWithTheSamePartialTree) {
    std::vector<std::string> all;
    ScanWith(0, all);
    std::vector<std::string> without;
    const auto expected = ScanWith(0, without, "d1200");
    EXPECT_FALSE(expected->Searched);
    ASSERT_LT(without.size(), all.size());
    std::vector<std::string> with;
    const auto root = ScanWith(2, with, "d1200");
    EXPECT_EQ(with, without);
    ExpectSameTree(*expected, *root);
}

}  // namespace
}  // namespace zelk::test
