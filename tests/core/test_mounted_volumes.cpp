// The drive list read from /proc/self/mountinfo: the lines as the kernel writes them (escaped
// blanks, optional fields), which mounts count as drives, and their type texts.
#include "core/files/MountedVolumes.h"

#include <gtest/gtest.h>

using namespace korvel::files;

namespace {

struct Case {
    const char* line;
    const char* root;
    const char* fs;
    const char* device;
    bool real;
    const char* type;
};

class MountInfoLine : public ::testing::TestWithParam<Case> {};

TEST_P(MountInfoLine, IsReadAndJudged) {
    const Case& c = GetParam();
    const auto lines = parseMountInfo(c.line);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].root, c.root);
    EXPECT_EQ(lines[0].fileSystem, c.fs);
    EXPECT_EQ(lines[0].device, c.device);
    EXPECT_EQ(isRealVolume(lines[0]), c.real);
    EXPECT_EQ(volumeTypeText(lines[0]), c.type);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, MountInfoLine,
    ::testing::Values(
        Case{"22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw", "/", "ext4", "/dev/sda1", true,
             "Fixed"},
        Case{"30 22 0:25 / /proc rw - proc proc rw", "/proc", "proc", "proc", false, "Fixed"},
        Case{"31 22 0:26 / /tmp rw - tmpfs tmpfs rw", "/tmp", "tmpfs", "tmpfs", true, "RAMDisk"},
        Case{"32 22 0:27 / /dev/shm rw - tmpfs tmpfs rw", "/dev/shm", "tmpfs", "tmpfs", false, "RAMDisk"},
        Case{"33 22 7:0 / /snap/core/1 ro - squashfs /dev/loop0 ro", "/snap/core/1", "squashfs", "/dev/loop0",
             false, "Fixed"},
        Case{"34 22 0:40 / /nowhere\\040at\\040all rw - nfs4 srv:/x rw", "/nowhere at all", "nfs4", "srv:/x",
             false, "Remote"},
        Case{"35 22 11:0 / /media/cd ro master:2 unbindable - iso9660 /dev/sr0 ro", "/media/cd", "iso9660",
             "/dev/sr0", false, "CDROM"},
        Case{"36 22 0:50 / / rw - overlay overlay rw", "/", "overlay", "overlay", true, "Fixed"}));

TEST(MountInfo, DamagedLinesAreSkipped) {
    EXPECT_TRUE(parseMountInfo("").empty());
    EXPECT_TRUE(parseMountInfo("22 1 8:1 / /\n").empty());
    EXPECT_TRUE(parseMountInfo("22 1 8:1 / / rw -\n").empty());
    EXPECT_EQ(parseMountInfo("x\n22 1 8:1 / / rw - ext4 /dev/sda1 rw\n\n").size(), 1u);
}

TEST(MountedVolumes, RootComesFirstAndOnce) {
    const auto v = mountedVolumes();
    ASSERT_FALSE(v.empty());
    EXPECT_EQ(v[0].root, "/");
    EXPECT_NE(v[0].displayName.find("(/)"), std::string::npos);
    for (std::size_t i = 1; i < v.size(); ++i)
        EXPECT_NE(v[i].root, "/");
}

} // namespace
