#include "catalog/catalog.h"
#include "copy/copy_files.h"
#include "linux_file_system.h"
#include "registration/register_disc.h"
#include "registration/registration_store.h"
#include "search/find_files.h"
#include "support/catalog_rows.h"
#include "support/disc_images.h"
#include "support/recording_views.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

using namespace testing;

// Two real discs: ISO 9660 images with Rock Ridge and Joliet, made by xorriso a year
// apart, with the same label and the same paths; one file grew on the second.
class RealDiscs : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path catalog = newCatalog(dir);
    std::string first = (dir / "first.iso").string();
    std::string second = (dir / "second.iso").string();
    std::string drive = (dir / "drive").string();
    LinuxFileSystem files;
    Transcript transcript;
    RecordingTray tray{transcript};
    ScriptedDialogs dialogs{transcript};
    CountingEventPump events{transcript};
    FixedClock clock;
    CommaNumberFormat numbers;
    Platform platform{files, tray, dialogs, events, clock, numbers};
    RecordingRegisterSink sink{transcript};
    RecordingCopySink copyWindow{transcript};

    void SetUp() override {
        dir.write("one/readme.txt", "the same on both discs\n");
        dir.write("one/docs/grown.txt", "a\n");
        dir.write("two/readme.txt", "the same on both discs\n");
        dir.write("two/docs/grown.txt", std::string(60000, 'g'));
        ASSERT_TRUE(MakeDiscImage((dir / "one").string(), first, "PHOTOS_2003", "20030601100000"));
        ASSERT_TRUE(MakeDiscImage((dir / "two").string(), second, "PHOTOS_2003", "20040202100000"));
        std::filesystem::create_directory(drive);
        std::filesystem::create_directory(dir / "out");
    }
    CopyRun copyAll(const std::string& title) {
        const Search search = SearchCatalog(catalog, nullptr, "*", title);
        std::vector<std::size_t> all;
        for (std::size_t i = 0; i < search.hits.size(); ++i) {
            all.push_back(i);
        }
        return CopyFiles(platform, catalog, search.hits, all, (dir / "out").string(), copyWindow);
    }
};

TEST_F(RealDiscs, LibblkidReadsLabelAndUuidFromTheImagesAndALoopDevice) {
    const auto one = ProbeVolume(first);
    const auto two = ProbeVolume(second);
    ASSERT_TRUE(one && two);
    EXPECT_EQ(one->label, "PHOTOS_2003");
    EXPECT_EQ(one->type, "iso9660");
    EXPECT_EQ(one->uuid, "2003-06-01-10-00-00-00") << "an ISO's UUID is its creation time";
    EXPECT_EQ(two->label, one->label);
    EXPECT_NE(two->uuid, one->uuid);
    EXPECT_FALSE(ProbeVolume((dir / "one/readme.txt").string()));
    const LoopDevice loop(first);
    if (loop.device().empty()) {
        GTEST_SKIP() << "no loop device here";
    }
    EXPECT_EQ(ProbeVolume(loop.device()), one);
}

// A FUSE mount has no device: the disc is known by what a walk of it sees.
TEST_F(RealDiscs, OnAFuseMountTheWrongDiscIsAskedForAgainAndTheRightOneCopiedWhole) {
    {
        const FuseMount mounted(first, drive);
        if (!mounted.mounted()) {
            GTEST_SKIP() << "fuseiso cannot mount here";
        }
        ASSERT_FALSE(files.volumeOf(drive));
        ASSERT_EQ(RegisterDisc(platform, catalog, drive, "Photos 2003", sink),
                  Registration::Registered);
    }
    {
        const FuseMount mounted(second, drive);
        transcript.lines.clear();
        dialogs.answers = {Answer::Ok, Answer::Cancel};
        EXPECT_EQ(copyAll("Photos 2003").end, CopyRun::End::Cancelled);
        EXPECT_EQ(
            transcript.only("message"),
            (Lines{
                "message ファイルのコピー [OK/Cancel]: Photos 2003のメディアをセットして下さい。",
                "message ファイルのコピー: このディスクは「Photos 2003」ではありません。",
                "message ファイルのコピー [OK/Cancel]: Photos "
                "2003のメディアをセットして下さい。"}));
        EXPECT_FALSE(std::filesystem::exists(dir / "out/grown.txt"));
    }
    const FuseMount mounted(first, drive);
    const CopyRun run = copyAll("Photos 2003");
    EXPECT_EQ(run.end, CopyRun::End::Done);
    EXPECT_EQ(run.log.find("Error"), std::string::npos) << run.log;
    EXPECT_EQ(dir.read("out/grown.txt"), "a\n");
    EXPECT_EQ(dir.read("out/readme.txt"), "the same on both discs\n");
}

// A disc registered before discs were known: each file is checked against its row.
TEST_F(RealDiscs, WithoutAnIdentityTheWrongFileIsACopyError) {
    const FuseMount mounted(second, drive);
    if (!mounted.mounted()) {
        GTEST_SKIP() << "fuseiso cannot mount here";
    }
    storeFiles(catalog,
               {{drive + "/readme.txt", "OLD", "readme.txt", "txt", "0", "2003-06-01"},
                {drive + "/docs/grown.txt", "OLD", "grown.txt", "txt", "0", "2003-06-01"}});
    const CopyRun run = copyAll("OLD");
    EXPECT_EQ(run.log, drive + "/readme.txt\r\n***Copy Normal End\r\n" + drive +
                           "/docs/grown.txt\r\n***Copy Error: ディスクのファイルがカタログの"
                           "ファイルと違います。サイズか日付が異なります（別のディスクかもしれま"
                           "せん）。\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "out/grown.txt"));
}

} // namespace
} // namespace orbisk
