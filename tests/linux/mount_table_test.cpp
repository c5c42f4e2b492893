#include "mount_table.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <set>

namespace orbisk {
namespace {

bool isUser(const std::string& name) {
    return name == "alice";
}

class DriveOfAPath : public ::testing::Test {
protected:
    MountTable mounts;
    std::set<std::string> folders{
        "/",    "/home",     "/home/alice", "/media",      "/media/cdrom0",
        "/mnt", "/mnt/disc", "/srv",        "/srv/images", "/srv/images/disc1"};

    std::string drive(const std::string& path) {
        return DriveOfPath(path, mounts, isUser,
                           [this](const std::string& f) { return folders.count(f) != 0; });
    }
};

TEST_F(DriveOfAPath, MountedDiscIsTheLongestMountedFolder) {
    mounts.mounted = {{"/dev/vda1", "/", "ext4"}, {"/dev/sr0", "/media/alice/DISC 1", "iso9660"}};
    EXPECT_EQ(drive("/media/alice/DISC 1/docs/a.txt"), "/media/alice/DISC 1");
    EXPECT_EQ(drive("/home/alice/a.txt"), "/");
}

TEST_F(DriveOfAPath, UnmountedAutomountPlaceStillNamesTheDrive) {
    mounts.mounted = {{"/dev/vda1", "/", "ext4"}};
    EXPECT_EQ(drive("/media/alice/DISC 1/docs/a.txt"), "/media/alice/DISC 1");
    EXPECT_EQ(drive("/run/media/bob/BACKUP/a.txt"), "/run/media/bob/BACKUP");
    EXPECT_EQ(drive("/media/cdrom0/docs/a.txt"), "/media/cdrom0")
        << "cdrom0 is no user: /media/NAME";
}

TEST_F(DriveOfAPath, EmptyFstabMountPointNamesTheDrive) {
    mounts.mounted = {{"/dev/vda1", "/", "ext4"}};
    mounts.fstab = {{"/dev/sr0", "/mnt/disc", "udf"}};
    EXPECT_EQ(drive("/mnt/disc/a/b.txt"), "/mnt/disc");
}

TEST_F(DriveOfAPath, PlainFolderFallsBackToTheMountHoldingItsDeepestFolder) {
    mounts.mounted = {{"/dev/vdb1", "/srv", "ext4"}};
    EXPECT_EQ(drive("/srv/images/disc1/gone/a.txt"), "/srv");
    mounts.mounted.clear();
    EXPECT_EQ(drive("/srv/images/disc1/a.txt"), "");
    EXPECT_EQ(drive("e:\\a.txt"), "") << "a path of another system names no drive";
    EXPECT_EQ(drive(""), "");
}

TEST(MountInfo, LibmountReadsTheFieldsWithTheirEscapes) {
    testing::TempDir dir;
    dir.write("mountinfo",
              "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
              "40 22 11:0 / /media/alice/MY\\040DISC ro,nosuid master:2 - iso9660 /dev/sr0 ro\n"
              "41 22 0:5 / /proc rw - proc proc rw\n");
    dir.write("fstab",
              "# comment\n/dev/sr0 /media/cdrom0/ udf,iso9660 user,noauto 0 0\nproc /proc proc\n");
    const MountTable table = ReadMountTable((dir / "mountinfo").c_str(), (dir / "fstab").c_str());
    ASSERT_EQ(table.mounted.size(), 3u);
    EXPECT_EQ(table.mounted[1].mountPoint, "/media/alice/MY DISC");
    EXPECT_EQ(table.mounted[1].source, "/dev/sr0");
    EXPECT_EQ(table.mounted[1].type, "iso9660");
    EXPECT_TRUE(IsPseudoFileSystem(table.mounted[2].type));
    EXPECT_FALSE(IsPseudoFileSystem(table.mounted[1].type));
    ASSERT_EQ(table.fstab.size(), 2u);
    EXPECT_EQ(table.fstab[0].mountPoint, "/media/cdrom0");
    EXPECT_TRUE(table.inFstab("/media/cdrom0"));
    EXPECT_TRUE(ReadMountTable((dir / "none").c_str(), (dir / "none").c_str()).mounted.empty());
}

} // namespace
} // namespace orbisk
