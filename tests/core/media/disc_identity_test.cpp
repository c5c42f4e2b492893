#include "catalog/catalog.h"
#include "catalog/row_writer.h"
#include "copy/copy_files.h"
#include "copy_log_text.h"
#include "media/disc_identity.h"
#include "registration/register_disc.h"
#include "search/find_files.h"
#include "support/catalog_rows.h"
#include "support/recording_views.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

using namespace testing;

TEST(SameDate, ShiftsOfWholeQuarterHoursAreTheSameDate) {
    const std::int64_t t = 1070000000;
    EXPECT_TRUE(SameDate(t, t));
    EXPECT_TRUE(SameDate(t, t + 2)) << "a FAT date's two seconds";
    EXPECT_TRUE(SameDate(t, t - 9 * 3600)) << "Japan against UTC";
    EXPECT_TRUE(SameDate(t, t + 5 * 3600 + 45 * 60 + 1)) << "Nepal, give or take a second";
    EXPECT_TRUE(SameDate(t, t + 26 * 3600));
    EXPECT_FALSE(SameDate(t, t + 3));
    EXPECT_FALSE(SameDate(t, t + 7 * 60));
    EXPECT_FALSE(SameDate(t, t + 27 * 3600));
    EXPECT_FALSE(SameDate(t, t + 86400 * 365));
}

TEST(KeptFacts, PackAndUnpackEveryFileInOrder) {
    std::string packed;
    AppendKeptFacts(packed, "e:\\a.txt", {12, 1070000000});
    AppendKeptFacts(packed, "e:\\b.txt", {1ULL << 40, -86400});
    const auto kept = UnpackKeptFacts(packed);
    ASSERT_TRUE(kept);
    ASSERT_EQ(kept->size(), 2u);
    EXPECT_EQ((*kept)[0].facts, (FileFacts{12, 1070000000}));
    EXPECT_EQ((*kept)[1].facts, (FileFacts{1ULL << 40, -86400}));
    EXPECT_EQ((*kept)[1].pathCheck, PathCheck("e:\\b.txt"));
    EXPECT_FALSE(UnpackKeptFacts(packed.substr(0, packed.size() - 1)));
}

class KnownDiscs : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path catalog = newCatalog(dir);
    ScriptedPlatform p;
    RecordingRegisterSink sink{p.transcript};
    RecordingCopySink copyWindow{p.transcript};
    const VolumeIdentity photos{"PHOTOS", "2003-06-01-10-00-00-00", "iso9660"};
    const VolumeIdentity other{"PHOTOS", "2004-02-02-10-00-00-00", "iso9660"};

    void SetUp() override {
        p.files.addDrive("e:");
        p.files.addFile("e:\\readme.txt", 100);
        p.files.addFile("e:\\docs\\grown.txt", 2000);
    }
    Registration add(const std::string& title) {
        return RegisterDisc(p.platform(), catalog, "e:", title, sink);
    }
    // FIND of every file of a title, all marked, copied into d:\OUT.
    CopyRun copyAll(const std::string& title) {
        const Search search = SearchCatalog(catalog, nullptr, "*", title);
        std::vector<std::size_t> all;
        for (std::size_t i = 0; i < search.hits.size(); ++i) {
            all.push_back(i);
        }
        return CopyFiles(p.platform(), catalog, search.hits, all, "d:\\OUT", copyWindow);
    }
    Lines messages() const { return p.transcript.only("message"); }
};

TEST_F(KnownDiscs, ADiscRegisteredBeforeIsToldBeforeItIsWalked) {
    p.files.setVolume("e:", photos);
    EXPECT_EQ(add("Photos 2003"), Registration::Registered);
    p.transcript.lines.clear();
    p.dialogs.answers = {Answer::Cancel};
    EXPECT_EQ(add("Photos again"), Registration::Refused);
    EXPECT_EQ(messages(),
              (Lines{"message データベースの構築 [OK/Cancel]: このディスクは「Photos 2003」として"
                     "登録済みです。もう一度登録しますか？"}));
    EXPECT_TRUE(p.transcript.only("busy").empty()) << "nothing walked";
    EXPECT_EQ(tableRows(catalog, "MediaName").size(), 1u);

    p.dialogs.answers = {Answer::Ok};
    EXPECT_EQ(add("Photos again"), Registration::Registered);
    EXPECT_EQ(tableRows(catalog, "MediaName").size(), 2u);

    p.transcript.lines.clear();
    p.files.setVolume("e:", other); // another disc of the same label
    EXPECT_EQ(add("Photos 2004"), Registration::Registered);
    EXPECT_TRUE(p.transcript.only("message データベースの構築 [OK/Cancel]").empty());
}

TEST_F(KnownDiscs, TheWrongDiscIsToldWhichItIsAndAskedForAgain) {
    p.files.setVolume("e:", photos);
    add("Photos 2003");
    p.files.setVolume("e:", other);
    p.files.setFacts("e:\\docs\\grown.txt", {60000, 1100000000});
    add("Photos 2004");
    p.transcript.lines.clear();
    // The 2004 disc is in the drive; asked for the 2003 disc, then Cancel.
    p.dialogs.answers = {Answer::Ok, Answer::Cancel};
    EXPECT_EQ(copyAll("Photos 2003").end, CopyRun::End::Cancelled);
    EXPECT_EQ(
        messages(),
        (Lines{"message ファイルのコピー [OK/Cancel]: Photos 2003のメディアをセットして下さい。",
               "message ファイルのコピー: このディスクは「Photos 2003」ではありません。\n"
               "「Photos 2004」として登録されているディスクです。",
               "message ファイルのコピー [OK/Cancel]: Photos 2003のメディアをセットして下さい。"}));
    EXPECT_TRUE(p.files.copies().empty());

    // The right disc put in: copied as always.
    p.transcript.lines.clear();
    p.files.setVolume("e:", photos);
    p.files.setFacts("e:\\docs\\grown.txt", {2000, 1070000000});
    const CopyRun run = copyAll("Photos 2003");
    EXPECT_EQ(run.end, CopyRun::End::Done);
    EXPECT_EQ(CopyLogText(run.log), "e:\\readme.txt\r\n***Copy Normal End\r\n"
                                    "e:\\docs\\grown.txt\r\n***Copy Normal End\r\n");
}

TEST_F(KnownDiscs, AFileThatIsNotTheCataloguedOneIsACopyErrorAndTheRestIsCopied) {
    p.files.setVolume("e:", photos);
    add("Photos 2003");
    p.files.setFacts("e:\\docs\\grown.txt", {60000, 1070000000});
    CopyRun run = copyAll("Photos 2003");
    EXPECT_EQ(CopyLogText(run.log),
              "e:\\readme.txt\r\n***Copy Normal End\r\n"
              "e:\\docs\\grown.txt\r\n***Copy Error: ディスクのファイルが登録したときと"
              "違います。大きさ: 登録時 2,000バイト、ディスク 60,000バイト。\r\n");
    EXPECT_EQ(p.files.copies().size(), 1u);

    // The same size, another date.
    p.files.setFacts("e:\\docs\\grown.txt", {2000, 1070000000 + 3 * 86400});
    run = copyAll("Photos 2003");
    EXPECT_NE(CopyLogText(run.log).find(
                  "grown.txt\r\n***Copy Error: ディスクのファイルが登録したときと違い"
                  "ます。日付: 登録時 2003-11-28 06:13:20、ディスク 2003-12-01 06:13:20。"
                  "\r\n"),
              std::string::npos)
        << CopyLogText(run.log);

    // The disc read in another time zone: its dates shifted by nine hours.
    p.files.setFacts("e:\\docs\\grown.txt", {2000, 1070000000 + 9 * 3600});
    p.files.setFacts("e:\\readme.txt", {100, 1070000000 + 9 * 3600});
    run = copyAll("Photos 2003");
    EXPECT_EQ(CopyLogText(run.log).find("Copy Error"), std::string::npos) << CopyLogText(run.log);
}

// A disc without a volume is known by its whole walk: read in another time zone, every
// date moves alike and it is the same disc; dates that moved each their own way are
// another disc, even when each on its own could be a zone's offset.
TEST_F(KnownDiscs, AWalkIsTheSameDiscOnlyWhenEveryDateMovedAlike) {
    EXPECT_EQ(add("Photos 2003"), Registration::Registered);
    p.transcript.lines.clear();
    p.files.setFacts("e:\\readme.txt", {100, 1070000000 + 9 * 3600});
    p.files.setFacts("e:\\docs\\grown.txt", {2000, 1070000000 + 9 * 3600 + 1});
    p.dialogs.answers = {Answer::Cancel};
    EXPECT_EQ(add("Again"), Registration::Refused);
    EXPECT_EQ(messages(),
              (Lines{"message データベースの構築 [OK/Cancel]: このディスクは「Photos 2003」として"
                     "登録済みです。もう一度登録しますか？"}));

    p.transcript.lines.clear();
    p.files.setFacts("e:\\docs\\grown.txt", {2000, 1070000000 + 8 * 3600});
    EXPECT_EQ(add("Another backup"), Registration::Registered);
    EXPECT_TRUE(p.transcript.only("message データベースの構築 [OK/Cancel]").empty());
}

// A catalogue from before discs were known: the old tables only.
TEST_F(KnownDiscs, AnOlderCatalogueWorksAsBeforeAndKeepsItsTablesAsTheyAre) {
    storeFiles(catalog, {{"e:\\readme.txt", "OLD", "readme.txt", "txt", "0", "2003-01-01"},
                         {"e:\\docs\\grown.txt", "OLD", "grown.txt", "txt", "2", "2003-01-01"}});
    storeTitle(catalog, "OLD");
    const auto schema = [this] {
        return tableRows(catalog, "sqlite_master Where name In ('MediaTable', 'MediaName')");
    };
    const auto tablesBefore = schema();
    const auto rowsBefore = tableRows(catalog, "MediaTable");
    CopyRun run = copyAll("OLD");
    EXPECT_EQ(CopyLogText(run.log), "e:\\readme.txt\r\n***Copy Normal End\r\n"
                                    "e:\\docs\\grown.txt\r\n***Copy Normal End\r\n");

    p.files.setFacts("e:\\docs\\grown.txt", {60000, 1070000000});
    run = copyAll("OLD");
    EXPECT_NE(CopyLogText(run.log).find("grown.txt\r\n***Copy Error: "), std::string::npos)
        << "the catalogued size still tells";

    p.files.setVolume("e:", photos);
    add("NEW");
    EXPECT_EQ(schema(), tablesBefore);
    const auto rowsAfter = tableRows(catalog, "MediaTable");
    EXPECT_EQ(std::vector<Lines>(rowsAfter.begin(), rowsAfter.begin() + 2), rowsBefore);
}

} // namespace
} // namespace orbisk
