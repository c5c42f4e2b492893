// Images found in a folder tree and the titles they are registered under when nobody types
// one.
#include "image/image_batch.h"
#include "linux_file_system.h"
#include "support/temp_dir.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace orbisk {
namespace {

using namespace testing;

TEST(ImageBatch, EveryImageOnceAndACueSheetsTracksAsPartOfIt) {
    TempDir dir;
    dir.write("a.iso", "");
    dir.write("notes.txt", "");
    dir.write("sub/game.cue", "FILE \"game track.bin\" BINARY\r\n  TRACK 01 MODE1/2352\r\n");
    dir.write("sub/game track.bin", "");
    dir.write("sub/other.bin", "");
    dir.write("sub/plain.cue", "FILE plain.img BINARY\n");
    dir.write("sub/plain.img", "");
    dir.write("sub/deeper/OLD.NRG", "");
    // A link back up the tree is not followed into a loop.
    std::filesystem::create_directory_symlink(dir.path(), dir.path() / "sub" / "loop");
    LinuxFileSystem files;

    const std::vector<std::string> expected = {
        dir.str() + "/a.iso", dir.str() + "/sub/deeper/OLD.NRG", dir.str() + "/sub/game.cue",
        dir.str() + "/sub/other.bin", dir.str() + "/sub/plain.cue"};
    EXPECT_EQ(FindImages(files, dir.str()), expected);
    EXPECT_TRUE(FindImages(files, dir.str() + "/missing").empty());
}

TEST(ImageBatch, ATitleIsTheLabelOrTheFilesNameAndNeverOneTaken) {
    EXPECT_EQ(ImageTitle("PHOTOS_2004", "/isos/disc1.iso", '/', {}), "PHOTOS_2004");
    EXPECT_EQ(ImageTitle("PHOTOS", "/isos/disc1.iso", '/', {"PHOTOS"}), "PHOTOS (2)");
    EXPECT_EQ(ImageTitle("PHOTOS", "/isos/disc1.iso", '/', {"PHOTOS", "PHOTOS (2)"}), "PHOTOS (3)");
    // No label, or one that cannot be a title: the file's name without its extension.
    EXPECT_EQ(ImageTitle("", "/isos/写真 2004.iso", '/', {}), "写真 2004");
    EXPECT_EQ(ImageTitle("  ", "/isos/disc.tar.iso", '/', {}), "disc.tar");
    EXPECT_EQ(ImageTitle("ALL", "/isos/backup.iso", '/', {}), "backup");
    EXPECT_EQ(ImageTitle("", "/isos/ALL.iso", '/', {}), "ALL.iso");
    EXPECT_EQ(ImageTitle("", "/isos/.iso", '/', {}), ".iso");
}

} // namespace
} // namespace orbisk
