// Guards the reading of the kernel's mount table: every octal escape decoded, optional fields
// skipped, and a malformed line left out without harming the lines around it.

#include <gtest/gtest.h>

#include "platform/MountInfo.h"

namespace zelk {
namespace {

TEST(MountInfo, EveryOctalEscapeIsDecodedAndNothingElse) {
    // Any byte, also halves of a UTF-8 character; nothing past one byte; no path holds a NUL.
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {R"(/mnt/My\040Disk)", "/mnt/My Disk"}, {R"(/a\011b\012c\134d)", "/a\tb\nc\\d"},
        {R"(/\101\303\244)", "/A\xC3\xA4"}, {R"(/end\134)", "/end\\"}, {R"(/a\04)", R"(/a\04)"},
        {R"(/a\089)", R"(/a\089)"}, {R"(/a\400)", R"(/a\400)"}, {R"(/a\)", R"(/a\)"},
        {R"(/a\000b)", nullptr}};
    // clang-format on
    for (const auto& [field, expected] : cases) {
        std::string out;
        EXPECT_EQ(DecodeMountEscapes(field, out), expected != nullptr) << field;
        if (expected != nullptr) {
            EXPECT_EQ(out, expected) << field;
        }
    }
}

TEST(MountInfo, FieldsAreTakenAroundOptionalFieldsAndMalformedLinesLeftOut) {
    const auto mounts = ParseMountInfo(
        "\n"
        "garbage\n"
        "1 2 8:1 / /no-separator rw shared:1 ext4 /dev/sda1 rw\n"
        "x 2 8:1 / /bad-id rw - ext4 /dev/sda1 rw\n"
        "1 2 81 / /bad-device rw - ext4 /dev/sda1 rw\n"
        "1 2 8:99999999999 / /overflow rw - ext4 /dev/sda1 rw\n"
        "1 2 8:1 / relative rw - ext4 /dev/sda1 rw\n"
        "1 2 8:1 / /nul\\000byte rw - ext4 /dev/sda1 rw\n"
        "1 2 8:1 / /cut-short rw - ext4\n"
        "36 35 98:7 /mnt1 /mnt/two\\040words rw,noatime master:1 shared:7 propagate_from:2 - "
        "ext3 /dev/root rw,errors=continue\n"
        "1 2 0:40 / /no-newline-at-end rw - nfs4 server:/export rw");
    ASSERT_EQ(mounts.size(), 2u);
    const MountEntry& m = mounts[0];
    EXPECT_EQ(std::to_string(m.Major) + ":" + std::to_string(m.Minor) + " " + m.Root + " " +
                  m.MountPoint + " " + m.FsType + " " + m.Source,
              "98:7 /mnt1 /mnt/two words ext3 /dev/root");
    EXPECT_EQ(mounts[1].MountPoint + " " + mounts[1].Source, "/no-newline-at-end server:/export");
}

// Run under the sanitizers, where a read past a field's end fails.
TEST(MountInfo, ArbitraryBytesNeverCrash) {
    std::string noise;
    for (int i = 0; i < 4096; ++i) {
        noise += i % 97 == 0 ? std::string(" - ") : std::string(1, char((i * 7919 + 13) % 256));
    }
    ParseMountInfo(noise);
}

}  // namespace
}  // namespace zelk
