#include "catalog/catalog.h"
#include "catalog/row_writer.h"
#include "copy/copy_files.h"
#include "copy_log_text.h"
#include "media/disc_check.h"
#include "registration/register_disc.h"
#include "search/find_files.h"
#include "support/catalog_rows.h"
#include "support/disc_images.h"
#include "support/real_folders_fixture.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace orbisk {
namespace {

using namespace testing;

// Two real discs: ISO 9660 images with Rock Ridge and Joliet, made by xorriso a year
// apart, with the same label and the same paths; one file grew on the second.
class RealDiscs : public RealFoldersFixture {
protected:
    std::string first = (dir / "first.iso").string();
    std::string second = (dir / "second.iso").string();
    std::string drive = (dir / "drive").string();

    void SetUp() override {
        dir.write("one/readme.txt", "the same on both discs\n");
        dir.write("one/docs/grown.txt", "a\n");
        dir.write("two/readme.txt", "the same on both discs\n");
        dir.write("two/docs/grown.txt", std::string(60000, 'g'));
        ASSERT_TRUE(MakeDiscImage((dir / "one").string(), first, "PHOTOS_2003", "20030601100000"));
        ASSERT_TRUE(MakeDiscImage((dir / "two").string(), second, "PHOTOS_2003", "20040202100000"));
        std::filesystem::create_directory(drive);
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

// A FUSE mount has no device: the disc is known by what a walk of it sees. The second disc
// has every path of the first, one file grown: it is the registered disc with a changed
// file, which alone is not copied.
TEST_F(RealDiscs, OnAFuseMountAChangedFileOfTheRightDiscIsACopyErrorAndTheRestIsCopied) {
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
        dialogs.answers = {Answer::Ok, Answer::Cancel}; // Cancel only if refused
        const CopyRun run = copyFound("*", "Photos 2003");
        EXPECT_EQ(run.end, CopyRun::End::Done);
        EXPECT_EQ(transcript.only("message"), (Lines{"message ファイルのコピー [OK/Cancel]: Photos "
                                                     "2003のメディアをセットして下さい。"}));
        EXPECT_NE(CopyLogText(run.log).find(
                      drive + "/docs/grown.txt\r\n***Copy Error: ディスクのファイルが"
                              "登録したときと違います。大きさ: 登録時 2バイト、ディスク "
                              "60,000バイト。"),
                  std::string::npos)
            << CopyLogText(run.log);
        EXPECT_NE(CopyLogText(run.log).find(drive + "/readme.txt\r\n***Copy Normal End\r\n"),
                  std::string::npos);
        EXPECT_FALSE(std::filesystem::exists(dir / "out/grown.txt"));
        EXPECT_EQ(dir.read("out/readme.txt"), "the same on both discs\n");
    }
    const FuseMount mounted(first, drive);
    dialogs.answers.clear();
    const CopyRun run = copyFound("*", "Photos 2003");
    EXPECT_EQ(run.end, CopyRun::End::Done);
    EXPECT_EQ(CopyLogText(run.log).find("Error"), std::string::npos) << CopyLogText(run.log);
    EXPECT_EQ(dir.read("out/grown.txt"), "a\n");
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
    const CopyRun run = copyFound("*", "OLD");
    EXPECT_EQ(CopyLogText(run.log),
              drive + "/readme.txt\r\n***Copy Normal End\r\n" + drive +
                  "/docs/grown.txt\r\n***Copy Error: ディスクのファイルがカタログの"
                  "ファイルと違います（別のディスクかもしれません）。大きさ: カタログ "
                  "0KB、ディスク 59KB。\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "out/grown.txt"));
}

// Discs that are folder trees: the one in the drive is the folder at the drive's place
// now, put there by renaming it, as a copied disc is swapped for another.
class FolderDiscs : public RealFoldersFixture {
protected:
    std::string drive = (dir / "drive").string();
    std::string inDrive;

    void insert(const std::string& disc) {
        if (!inDrive.empty()) {
            std::filesystem::rename(drive, dir / inDrive);
        }
        std::filesystem::rename(dir / disc, drive);
        inDrive = disc;
    }
    Registration add(const std::string& disc, const std::string& title) {
        insert(disc);
        return RegisterDisc(platform, catalog, drive, title, sink);
    }
    Lines questions() const { return transcript.only("message データベースの構築 [OK/Cancel]"); }
};

// Two discs whose first folders are the same (one folder DATA) are two discs: ADD asks
// only of the disc that is a registration whole, and the drive lists name each as itself.
TEST_F(FolderDiscs, ASharedFirstFolderNeitherAsksNorNamesOnlyTheWholeDiscDoes) {
    dir.write("A/DATA/a.dat", "a");
    for (const char* name : {"b1", "b2", "b3"}) {
        dir.write(std::string("B/DATA/") + name + ".dat", name);
    }
    dir.write("C/DATA/c.dat", "c");
    ASSERT_EQ(add("A", "Older"), Registration::Registered);
    ASSERT_EQ(add("B", "New"), Registration::Registered);
    EXPECT_TRUE(questions().empty()) << "a new disc is never asked about";
    EXPECT_EQ(tableRows(catalog, "MediaName").size(), 2u);
    EXPECT_EQ(TitleOfDiscIn(catalog, files, drive), "New");
    insert("C");
    EXPECT_EQ(TitleOfDiscIn(catalog, files, drive), std::nullopt) << "a part never decides";

    // The first disc whole again: asked, under the title it was registered as.
    dialogs.answers = {Answer::Cancel};
    EXPECT_EQ(add("A", "Again"), Registration::Refused);
    EXPECT_EQ(questions(), (Lines{"message データベースの構築 [OK/Cancel]: このディスクは「Older」"
                                  "として登録済みです。もう一度登録しますか？"}));
    EXPECT_EQ(TitleOfDiscIn(catalog, files, drive), "Older");
    EXPECT_EQ(tableRows(catalog, "MediaName").size(), 2u);
    EXPECT_EQ(transcript.count("busy"), transcript.count("not busy"))
        << "the window given back after the walk";

    // Its rows removed by another program, the disc is registered no more.
    ASSERT_EQ(std::system(("sqlite3 '" + catalog.string() +
                           "' \"Delete From MediaTable Where メディア名 = 'Older'; "
                           "Delete From MediaName Where メディア名 = 'Older'\"")
                              .c_str()),
              0);
    EXPECT_EQ(TitleOfDiscIn(catalog, files, drive), std::nullopt);
    transcript.lines.clear();
    EXPECT_EQ(add("A", "Again"), Registration::Registered);
    EXPECT_TRUE(questions().empty());
    EXPECT_EQ(TitleOfDiscIn(catalog, files, drive), "Again");
}

// Two discs with the same paths, files of other sizes, registered in either order: with
// one in the drive, the other is never copied from it.
TEST_F(FolderDiscs, TwoDiscsSharingTheirPathsAreToldApartInEitherOrder) {
    for (const bool xFirst : {true, false}) {
        TempDir round;
        catalog = newCatalog(round);
        inDrive.clear();
        std::filesystem::remove_all(drive);
        std::filesystem::remove_all(dir / "out");
        std::filesystem::create_directory(dir / "out");
        dir.write("X/docs/report.txt", "report of disc X\n");
        dir.write("X/docs/data.bin", std::string(100, 'x'));
        dir.write("Y/docs/report.txt", "report of disc Y, longer\n");
        dir.write("Y/docs/data.bin", std::string(2000, 'y'));
        for (const std::string& disc : xFirst ? Lines{"X", "Y"} : Lines{"Y", "X"}) {
            ASSERT_EQ(add(disc, "Disc " + disc), Registration::Registered);
            std::filesystem::rename(drive, dir / disc);
            inDrive.clear();
        }
        insert("X");
        transcript.lines.clear();
        dialogs.answers = {Answer::Ok, Answer::Cancel};
        EXPECT_EQ(copyFound("*", "Disc Y").end, CopyRun::End::Cancelled);
        EXPECT_EQ(transcript.only("message ファイルのコピー: "),
                  (Lines{"message ファイルのコピー: このディスクは「Disc Y」ではありません。\n"
                         "「Disc X」として登録されているディスクです。"}))
            << (xFirst ? "X registered first" : "Y registered first");
        EXPECT_TRUE(std::filesystem::is_empty(dir / "out"));

        insert("Y");
        const CopyRun run = copyFound("*", "Disc Y");
        EXPECT_EQ(CopyLogText(run.log).find("Error"), std::string::npos) << CopyLogText(run.log);
        EXPECT_EQ(dir.read("out/report.txt"), "report of disc Y, longer\n");
        std::filesystem::rename(drive, dir / "Y");
        inDrive.clear();
    }
}

// Two discs alike in paths and sizes whose dates lie an hour apart: a zone's offset could
// explain either, the nearer registration tells which disc is in the drive.
TEST_F(FolderDiscs, DiscsWhoseDatesLieAnHourApartAreEachTheirOwn) {
    const auto when = std::filesystem::file_time_type::clock::now() - std::chrono::hours(48);
    for (const auto& [disc, moved] : {std::pair{"X", 0}, std::pair{"Y", 1}}) {
        dir.write(std::string(disc) + "/a.txt", std::string(100, 'a'));
        dir.write(std::string(disc) + "/b.txt", std::string(200, disc[0]));
        for (const char* name : {"/a.txt", "/b.txt"}) {
            std::filesystem::last_write_time(dir / (std::string(disc) + name),
                                             when + std::chrono::hours(moved));
        }
    }
    ASSERT_EQ(add("X", "Disc X"), Registration::Registered);
    dialogs.answers = {Answer::Ok}; // registering Y asks: it could be X read an hour away
    ASSERT_EQ(add("Y", "Disc Y"), Registration::Registered);
    for (const auto& [inside, asked] : {std::pair{"X", "Disc Y"}, std::pair{"Y", "Disc X"}}) {
        insert(inside);
        transcript.lines.clear();
        dialogs.answers = {Answer::Ok, Answer::Cancel};
        EXPECT_EQ(copyFound("*", asked).end, CopyRun::End::Cancelled) << inside;
        EXPECT_EQ(transcript.only("message ファイルのコピー: ").size(), 1u) << inside;
        EXPECT_TRUE(std::filesystem::is_empty(dir / "out"));
    }
    insert("Y");
    EXPECT_EQ(CopyLogText(copyFound("*", "Disc Y").log).find("Error"), std::string::npos);
    EXPECT_EQ(dir.read("out/b.txt"), std::string(200, 'Y'));
}

// One file grown on a disc known by its walk: the disc is still the registered one; the
// grown file is a copy error that says what differs, the others are copied. A disc that
// has fewer than half of its paths is another disc.
TEST_F(FolderDiscs, AChangedFileIsACopyErrorThatSaysWhatDiffersAndTheRestIsCopied) {
    dir.write("D/readme.txt", "readme\n");
    dir.write("D/docs/grown.txt", "a\n");
    dir.write("D/docs/dated.txt", "dated\n");
    dir.write("D/docs/same.txt", "same\n");
    ASSERT_EQ(add("D", "Photos"), Registration::Registered);
    const auto when = std::filesystem::last_write_time(drive + "/docs/grown.txt");
    dir.write("drive/docs/grown.txt", std::string(60000, 'g'));
    std::filesystem::last_write_time(drive + "/docs/grown.txt", when);
    std::filesystem::last_write_time(drive + "/docs/dated.txt", when + std::chrono::hours(24 * 3));
    transcript.lines.clear();
    dialogs.answers = {Answer::Ok, Answer::Cancel}; // Cancel only if refused
    CopyRun run = copyFound("*", "Photos");
    EXPECT_EQ(run.end, CopyRun::End::Done);
    EXPECT_EQ(
        transcript.only("message"),
        (Lines{"message ファイルのコピー [OK/Cancel]: Photosのメディアをセットして下さい。"}));
    EXPECT_NE(CopyLogText(run.log).find(
                  drive + "/docs/grown.txt\r\n***Copy Error: ディスクのファイルが登録"
                          "したときと違います。大きさ: 登録時 2バイト、ディスク 60,000"
                          "バイト。\r\n"),
              std::string::npos)
        << CopyLogText(run.log);
    EXPECT_NE(CopyLogText(run.log).find(drive +
                                        "/docs/dated.txt\r\n***Copy Error: ディスクのファイルが登録"
                                        "したときと違います。日付: 登録時 "),
              std::string::npos)
        << CopyLogText(run.log);
    EXPECT_EQ(dir.read("out/readme.txt"), "readme\n");
    EXPECT_EQ(dir.read("out/same.txt"), "same\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "out/grown.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir / "out/dated.txt"));

    // Another disc with one of the four paths: not this disc.
    dir.write("E/readme.txt", "readme\n");
    dir.write("E/other/a.txt", "a");
    dir.write("E/other/b.txt", "b");
    insert("E");
    dialogs.answers = {Answer::Ok, Answer::Cancel};
    transcript.lines.clear();
    EXPECT_EQ(copyFound("*", "Photos").end, CopyRun::End::Cancelled);
    EXPECT_EQ(transcript.only("message ファイルのコピー: "),
              (Lines{"message ファイルのコピー: このディスクは「Photos」ではありません。"}));
}

// Volumes that say what they are, on loop devices: two with the same label, paths, sizes
// and dates but another UUID are two discs; the same volume with a file changed is the
// registered disc.
TEST_F(FolderDiscs, AVolumeIsKnownByItsUuidAndLabelWhateverItsFilesAre) {
    dir.write("content/scans/page1.txt", "page one\n");
    dir.write("content/scans/page2.txt", "page two\n");
    dir.write("changed/scans/page1.txt", "page one\n");
    dir.write("changed/scans/page2.txt", "page two, written again\n");
    const std::string uuid = "6c1c4f0e-9d5e-4d59-9b6f-6a1e0f3a0001";
    ASSERT_TRUE(MakeVolumeImage((dir / "content").string(), (dir / "one.img").string(),
                                "SCANS_2004", uuid));
    ASSERT_TRUE(MakeVolumeImage((dir / "content").string(), (dir / "copy.img").string(),
                                "SCANS_2004", "6c1c4f0e-9d5e-4d59-9b6f-6a1e0f3a0002"));
    ASSERT_TRUE(MakeVolumeImage((dir / "changed").string(), (dir / "changed.img").string(),
                                "SCANS_2004", uuid));
    std::filesystem::create_directory(drive);
    {
        const LoopMount mounted((dir / "one.img").string(), drive);
        if (!mounted.mounted()) {
            GTEST_SKIP() << "no loop mounts here";
        }
        ASSERT_EQ(RegisterDisc(platform, catalog, drive, "Scans", sink), Registration::Registered);
    }
    {
        const LoopMount mounted((dir / "copy.img").string(), drive);
        ASSERT_EQ(RegisterDisc(platform, catalog, drive, "Scans copy", sink),
                  Registration::Registered);
        EXPECT_TRUE(questions().empty()) << "another volume is another disc";
        transcript.lines.clear();
        dialogs.answers = {Answer::Ok, Answer::Cancel};
        EXPECT_EQ(copyFound("*", "Scans").end, CopyRun::End::Cancelled);
        EXPECT_EQ(transcript.only("message ファイルのコピー: "),
                  (Lines{"message ファイルのコピー: このディスクは「Scans」ではありません。\n"
                         "「Scans copy」として登録されているディスクです。"}));
    }
    const LoopMount mounted((dir / "changed.img").string(), drive);
    EXPECT_EQ(TitleOfDiscIn(catalog, files, drive), "Scans");
    transcript.lines.clear();
    dialogs.answers = {Answer::Ok, Answer::Cancel}; // Cancel only if refused
    const CopyRun run = copyFound("*", "Scans");
    EXPECT_EQ(run.end, CopyRun::End::Done);
    EXPECT_NE(CopyLogText(run.log).find(drive + "/scans/page1.txt\r\n***Copy Normal End\r\n"),
              std::string::npos);
    EXPECT_NE(CopyLogText(run.log).find(
                  drive + "/scans/page2.txt\r\n***Copy Error: ディスクのファイルが登録"
                          "したときと違います。大きさ: 登録時 9バイト、ディスク 24バイト。"
                          "\r\n"),
              std::string::npos)
        << CopyLogText(run.log);
    EXPECT_EQ(dir.read("out/page1.txt"), "page one\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "out/page2.txt"));
}

} // namespace
} // namespace orbisk
