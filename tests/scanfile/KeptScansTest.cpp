// Guards the scans kept for comparing with the last one: any place's path, whatever its bytes or
// length, names its own files and no other place's, newest first; the previous one is the newest
// before the scan shown; a folder that takes no file (read-only, full) refuses with its reason
// and leaves nothing behind. (The window's tests keep ten per place, privately.)

#include <gtest/gtest.h>

#include <sys/mount.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ScanFileTestSupport.h"
#include "scanfile/EScanFileError.h"
#include "scanfile/KeptScans.h"
#include "scanfile/ScanFileReader.h"
#include "support/TmpfsMount.h"

namespace zelk::test {
namespace {

constexpr std::int64_t kSecond = 1'000'000'000;
constexpr std::int64_t kDay = 86'400 * kSecond;
// 2026-12-08 06:45:12.5 UTC.
constexpr std::int64_t kStamp = 1'796'712'312 * kSecond + kSecond / 2;

TEST(KeptScans, EveryPlaceFindsItsOwnFilesOnlyNewestFirst) {
    const TempDir dir;
    const KeptScans kept(dir.Path() + "/data/zelk");
    const std::string longPath = "/" + std::string(300, 'a');
    // clang-format off
    const std::vector<std::string> places = {
        "/", "/srv", "/srv/data", "/srv_data", "/srv%5Fdata", "/a@b", "/x~y", "/new\nline",
        "/bad\xff\xfe", "/日本語/フォルダ", "/.hidden", longPath + "1", longPath + "2",
        longPath + "%1", std::string(1, '/') + std::string(200, '%')};
    // clang-format on
    const auto root = WideTree(1);
    for (std::size_t i = 0; i < places.size(); ++i) {
        ASSERT_TRUE(kept.Keep(*root, places[i], kStamp + static_cast<std::int64_t>(i)));
        ASSERT_TRUE(kept.Keep(*root, places[i], kStamp + kDay));
    }
    for (const auto& entry : std::filesystem::directory_iterator(kept.Folder())) {
        const std::string name = entry.path().filename();
        EXPECT_LE(name.size(), 255u);
        EXPECT_NE(name.front(), '.') << name;
    }
    for (std::size_t i = 0; i < places.size(); ++i) {
        const auto list = kept.List(places[i]);
        ASSERT_EQ(list.size(), 2u) << places[i];
        EXPECT_EQ(list[0].Stamp, kStamp + kDay);
        EXPECT_EQ(list[1].Stamp, kStamp + static_cast<std::int64_t>(i));
        EXPECT_EQ(KeptScans::StampOf(list[1].File, places[i]), list[1].Stamp);
        EXPECT_EQ(ScanFileReader::Read(list[0].File).RootName, places[i]);
    }
}

TEST(KeptScans, PreviousIsTheNewestBeforeTheScanShown) {
    const TempDir dir;
    const KeptScans kept(dir.Path());
    const auto root = WideTree(1);
    EXPECT_FALSE(kept.Previous("/srv", kStamp));
    for (const std::int64_t day : {0, 1, 2}) {
        ASSERT_TRUE(kept.Keep(*root, "/srv", kStamp + day * kDay));
    }
    EXPECT_EQ(kept.Previous("/srv", kStamp + 2 * kDay)->Stamp, kStamp + kDay);
    EXPECT_EQ(kept.Previous("/srv", kStamp + 9 * kDay)->Stamp, kStamp + 2 * kDay);
    EXPECT_FALSE(kept.Previous("/srv", kStamp));
    EXPECT_FALSE(kept.Previous("/srv/data", kStamp + 9 * kDay));
    EXPECT_FALSE(KeptScans::StampOf(dir.Path() + "/x.json.zst", "/srv"));
    // Two at the same time: the second takes the next free name, and both stay.
    ASSERT_TRUE(kept.Keep(*root, "/twice", kStamp));
    ASSERT_TRUE(kept.Keep(*root, "/twice", kStamp));
    EXPECT_EQ(kept.List("/twice").size(), 2u);
}

TEST(KeptScans, AFolderThatTakesNoFileRefusesWithItsReason) {
    const TempDir dir;
    const TmpfsMount readOnly(dir.Path() + "/ro"), full(dir.Path() + "/full", "16k");
    if (!readOnly.Mounted() || !full.Mounted()) {
        GTEST_SKIP() << TmpfsMount::kRefused;
    }
    ASSERT_EQ(::mount(nullptr, readOnly.Path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr),
              0);
    const auto root = WideTree(2000);
    for (const auto& [folder, reason] :
         {std::pair{readOnly.Path() + "/zelk", "Read-only file system"},
          std::pair{full.Path(), "No space left on device"}}) {
        try {
            KeptScans(folder).Keep(*root, "/srv", kStamp);
            ADD_FAILURE() << folder;
        } catch (const EScanFileError& error) {
            EXPECT_EQ(error.Reason(), reason);
        }
    }
    EXPECT_TRUE(std::filesystem::is_empty(full.Path()));
}

}  // namespace
}  // namespace zelk::test
