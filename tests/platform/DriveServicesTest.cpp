// Guards the drive queries as the chooser and the scan ask them: the letter mask, the drive
// types, labels and connections, and the current directory spelled as a drive path.

#include <gtest/gtest.h>

#include "platform/DriveServices.h"
#include "platform/FileNameCase.h"
#include "platform/SystemVolumeSource.h"
#include "platform/VolumeTableReader.h"
#include "tests/platform/MountTables.h"

namespace zelk {
namespace {

VolumeTable DesktopTable() {
    TextVolumeSource source = DesktopSource();
    return ReadVolumeTable(source);
}

TEST(DriveServices, MaskAndTypesFollowTheDesktopVolumes) {
    const VolumeTable table = DesktopTable();
    EXPECT_EQ(GetLogicalDrives(table), 0x1FFCu);  // c to m
    EXPECT_EQ(GetDriveTypeA(table, "c:\\"), DRIVE_FIXED);
    EXPECT_EQ(GetDriveTypeA(table, "d:\\"), DRIVE_RAMDISK);
    EXPECT_EQ(GetDriveTypeA(table, "h:\\"), DRIVE_REMOVABLE);
    EXPECT_EQ(GetDriveTypeA(table, "i:\\"), DRIVE_REMOTE);
    EXPECT_EQ(GetDriveTypeA(table, "m:\\"), DRIVE_CDROM);
    EXPECT_EQ(GetDriveTypeA(table, "n:\\"), DRIVE_NO_ROOT_DIR);
    EXPECT_EQ(GetDriveTypeA(table, "c"), DRIVE_NO_ROOT_DIR);
}

TEST(DriveServices, LabelIsTheMountPointAndNetworkNameTheSource) {
    const VolumeTable table = DesktopTable();
    std::string text;
    ASSERT_TRUE(GetVolumeInformationA(table, "l:\\", text));
    EXPECT_EQ(text, "/mnt/Old Disk");
    EXPECT_FALSE(GetVolumeInformationA(table, "q:\\", text));

    EXPECT_EQ(WNetGetConnectionA(table, "J:", text), NO_ERROR);
    EXPECT_EQ(text, "//fileserver/public");
    EXPECT_EQ(WNetGetConnectionA(table, "E:", text), ERROR_NOT_CONNECTED);
    EXPECT_EQ(WNetGetConnectionA(table, "Q:", text), ERROR_BAD_DEVICE);
}

TEST(DriveServices, CurrentDirectoryTakesTheLetterOfTheLongestMountPrefix) {
    const VolumeTable table = DesktopTable();
    EXPECT_EQ(GetCurrentDirectoryA(table, "/"), "c:\\");
    EXPECT_EQ(GetCurrentDirectoryA(table, "/home"), "e:\\");
    EXPECT_EQ(GetCurrentDirectoryA(table, "/home/al/src"), "e:\\al\\src");
    EXPECT_EQ(GetCurrentDirectoryA(table, "/homework"), "c:\\homework");
    EXPECT_EQ(GetCurrentDirectoryA(table, "/media/al/KINGSTON/photos"), "h:\\photos");
    EXPECT_EQ(GetCurrentDirectoryA(table, "/srv/projects/zelk"), "k:\\zelk");
    EXPECT_EQ(GetCurrentDirectoryA(table, "/mnt/Old Disk/x"), "l:\\x");
    EXPECT_EQ(GetCurrentDirectoryA(table, "/dev/shm"), "d:\\");
}

TEST(DriveServices, CurrentDirectoryOnNoDriveBeginsWithABackslash) {
    const VolumeTable table = DesktopTable();
    EXPECT_EQ(GetCurrentDirectoryA(table, "/proc/self"), "\\proc\\self");
    EXPECT_EQ(GetCurrentDirectoryA(table, "/run/user/1000/gvfs"), "\\run\\user\\1000\\gvfs");
    EXPECT_EQ(GetCurrentDirectoryA(table, ""), "");
}

TEST(DriveServices, RunningSystemHasItsRootAsC) {
    SystemVolumeSource source;
    const VolumeTable table = ReadVolumeTable(source);
    ASSERT_NE(table.ByLetter('c'), nullptr);
    EXPECT_EQ(table.ByLetter('c')->MountPoint, "/");
    EXPECT_FALSE(source.CurrentDirectory().empty());
    EXPECT_FALSE(GetCurrentDirectoryA(table, source.CurrentDirectory()).empty());
}

TEST(FileNameCase, OnlyLatinLettersChangeAndMultiByteCharactersStayWhole) {
    EXPECT_EQ(FileNameToLower("/Media/USB Stick"), "/media/usb stick");
    EXPECT_EQ(FileNameToUpper("/media/usb stick"), "/MEDIA/USB STICK");
    EXPECT_EQ(FileNameToLower("ﾃﾞｰﾀABC写真Ｘ"), "ﾃﾞｰﾀabc写真Ｘ");  // full-width X kept
    EXPECT_EQ(FileNameToUpper("Äpfel_ß"), "ÄPFEL_ß");
    EXPECT_EQ(FileNameToLower("\xC3"
                              "AB"),
              "\xC3"
              "ab");  // a stray lead byte is one byte
    EXPECT_EQ(FileNameToLower("Z@[`az{"), "z@[`az{");
}

}  // namespace
}  // namespace zelk
