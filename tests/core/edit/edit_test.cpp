#include "catalog/catalog.h"
#include "catalog/row_writer.h"
#include "edit/csv.h"
#include "edit/disc_store.h"
#include "edit/edit_commands.h"
#include "media/disc_check.h"
#include "registration/register_disc.h"
#include "support/catalog_rows.h"
#include "support/recording_views.h"
#include "support/scripted_platform.h"
#include "support/small_disk.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

using namespace testing;

class EditCatalog : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path catalog = newCatalog(dir);
    ScriptedPlatform p;

    void registration(const std::string& title, const std::vector<std::string>& names,
                      const std::string& size = "1", const std::string& date = "2026-12-07") {
        Catalog c(catalog, Catalog::Access::Write);
        Catalog::Transaction t(c);
        RowWriter store(c);
        for (const std::string& name : names) {
            store.storeFileRow({"e:\\" + name, title, name, "", size, date});
        }
        store.storeTitle(title);
        t.commit();
    }
    std::vector<std::vector<std::string>> rowsOf(const std::string& title) {
        std::vector<std::vector<std::string>> out;
        for (auto& row : tableRows(catalog, "MediaTable")) {
            if (row[1] == title) {
                out.push_back(row);
            }
        }
        return out;
    }
};

TEST_F(EditCatalog, FiguresOfEveryTitleInTheOrderOfItsFirstRegistration) {
    registration("Photos", {"a.jpg", "b.jpg"}, "1,024", "2026-12-07");
    registration("Music", {"c.mp3"}, "3", "2026-12-01");
    registration("Photos", {"a.jpg"}, "2", "2026-11-30");
    // File rows without a title row, as a registration of an older program that failed.
    storeFiles(catalog, {{"e:\\x", "Orphan", "x", "", "5", "2026-01-01"}});
    const auto discs = ReadDiscFigures(catalog);
    ASSERT_EQ(discs.size(), 3u);
    EXPECT_EQ(discs[0].title, "Photos");
    EXPECT_EQ(discs[0].registrations, 2);
    EXPECT_EQ(discs[0].files, 3);
    EXPECT_EQ(discs[0].kilobytes, 1024 + 1024 + 2);
    EXPECT_EQ(discs[0].dates, (std::vector<std::string>{"2026-11-30", "2026-12-07"}));
    EXPECT_EQ(discs[1].title, "Music");
    EXPECT_EQ(discs[2].title, "Orphan") << "rows without a title row can be seen and removed";
    EXPECT_EQ(discs[2].registrations, 0);
    EXPECT_EQ(discs[0].label, "") << "registered before discs were known";
}

TEST_F(EditCatalog, RenameAndRemoveCarryTheDiscsIdentityAlong) {
    p.files.addDrive("e:");
    p.files.addFile("e:\\a.txt", 10);
    p.files.setVolume("e:", {"TRAVEL", "2005-05-05-12-00-00-00", "iso9660"});
    RecordingRegisterSink sink{p.transcript};
    ASSERT_EQ(RegisterDisc(p.platform(), catalog, "e:", "Travel", sink), Registration::Registered);
    EXPECT_EQ(ReadDiscFigures(catalog).at(0).label, "TRAVEL");
    p.dialogs.texts = {std::string("Travel 2005")};
    ASSERT_TRUE(RenameTitle(p.platform(), catalog, "Travel"));
    EXPECT_EQ(ReadDiscFigures(catalog).at(0).label, "TRAVEL");
    EXPECT_EQ(TitleOfDiscIn(catalog, p.files, "e:"), "Travel 2005");
    p.dialogs.answers = {Answer::Ok};
    ASSERT_TRUE(RemoveTitle(p.platform(), catalog, "Travel 2005"));
    EXPECT_TRUE(tableRows(catalog, "OrbiskDiscs").empty());
    EXPECT_FALSE(TitleOfDiscIn(catalog, p.files, "e:"));
}

TEST_F(EditCatalog, RenameAndRemoveTouchExactlyTheRowsOfThatTitle) {
    registration("Photos", {"a.jpg", "b.jpg"});
    registration("PHOTOS", {"c.jpg"});
    registration("Music", {"d.mp3"});
    const auto photosUpper = rowsOf("PHOTOS");
    const auto music = rowsOf("Music");

    p.dialogs.texts = {std::string("Photos 2003")};
    EXPECT_TRUE(RenameTitle(p.platform(), catalog, "Photos"));
    EXPECT_EQ(rowsOf("Photos 2003").size(), 2u);
    EXPECT_TRUE(rowsOf("Photos").empty());
    EXPECT_EQ(rowsOf("PHOTOS"), photosUpper) << "a title in another letter case is another disc";
    EXPECT_EQ(rowsOf("Music"), music);
    EXPECT_EQ(tableRows(catalog, "MediaName"),
              (std::vector<std::vector<std::string>>{{"Photos 2003"}, {"PHOTOS"}, {"Music"}}));

    p.dialogs.answers = {Answer::Ok};
    EXPECT_TRUE(RemoveTitle(p.platform(), catalog, "Photos 2003"));
    EXPECT_EQ(p.transcript.only("message 登録の削除"),
              (Lines{"message 登録の削除 [OK/Cancel]: 「Photos 2003」の登録を削除しますか？\n"
                     "ファイル 2 件"}));
    EXPECT_TRUE(rowsOf("Photos 2003").empty());
    EXPECT_EQ(rowsOf("PHOTOS"), photosUpper);
    EXPECT_EQ(rowsOf("Music"), music);
    EXPECT_EQ(tableRows(catalog, "MediaName"),
              (std::vector<std::vector<std::string>>{{"PHOTOS"}, {"Music"}}));
}

TEST_F(EditCatalog, CancelAndAnEmptyTitleChangeNothing) {
    registration("Photos", {"a.jpg"});
    p.dialogs.texts = {std::nullopt, std::string("")};
    EXPECT_FALSE(RenameTitle(p.platform(), catalog, "Photos"));
    EXPECT_FALSE(RenameTitle(p.platform(), catalog, "Photos"));
    EXPECT_EQ(p.transcript.only("message"),
              (Lines{"message タイトル未入力: メディアのタイトルを入力して下さい。"}));
    p.dialogs.answers = {Answer::Cancel};
    EXPECT_FALSE(RemoveTitle(p.platform(), catalog, "Photos"));
    EXPECT_EQ(rowsOf("Photos").size(), 1u);
}

TEST_F(EditCatalog, RenameOntoARegisteredTitleAsksBeforeMakingOneDiscOfTwo) {
    registration("Photos", {"a.jpg"});
    registration("Music", {"b.mp3"});
    const auto before = tableRows(catalog, "MediaTable");
    p.dialogs.texts = {std::string("Music")};
    p.dialogs.answers = {Answer::Cancel};
    EXPECT_FALSE(RenameTitle(p.platform(), catalog, "Photos"));
    EXPECT_EQ(p.transcript.only("message"),
              (Lines{"message 名前の変更 [OK/Cancel]: 「Music」は登録済みです。2枚のディスクを1つの"
                     "タイトルにまとめますか？"}));
    EXPECT_EQ(tableRows(catalog, "MediaTable"), before);

    p.dialogs.texts = {std::string("Music")};
    p.dialogs.answers = {Answer::Ok};
    EXPECT_TRUE(RenameTitle(p.platform(), catalog, "Photos"));
    EXPECT_EQ(rowsOf("Music").size(), 2u) << "one disc of two, as the user said";
}

TEST_F(EditCatalog, RenameRefusesAllBlankAndControlCharacterTitlesWithTheirReason) {
    registration("Photos", {"a.jpg"});
    for (const std::string refused :
         {"ALL", "   ", "\u3000", "Line\nbreak", "Tab\tbed", "\x1b[2J"}) {
        p.transcript.lines.clear();
        p.dialogs.texts = {refused};
        EXPECT_FALSE(RenameTitle(p.platform(), catalog, "Photos")) << refused;
        ASSERT_EQ(p.transcript.only("message").size(), 1u);
        EXPECT_EQ(p.transcript.only("message")[0].rfind("message タイトルの誤り: ", 0), 0u);
    }
    EXPECT_EQ(rowsOf("Photos").size(), 1u);
    // A catalogue that holds such a title already keeps working with it.
    registration("ALL", {"c.txt"});
    p.dialogs.texts = {std::string("Not all")};
    EXPECT_TRUE(RenameTitle(p.platform(), catalog, "ALL"));
    EXPECT_EQ(rowsOf("Not all").size(), 1u);
    registration("Old\nline", {"d.txt"});
    p.dialogs.texts = {std::string("New line")};
    EXPECT_TRUE(RenameTitle(p.platform(), catalog, "Old\nline"));
    EXPECT_EQ(rowsOf("New line").size(), 1u);
}

TEST_F(EditCatalog, ExportWritesEveryColumnAsCsvWithAByteOrderMark) {
    registration("Disc, \"1\"", {"a,b.txt", "line\nend.txt", "\x83\x65.txt"});
    registration("Other", {"o.txt"});
    p.dialogs.saveNames = {"/out/disc.csv"};
    ExportCsv(p.platform(), catalog, std::string("Disc, \"1\""));
    EXPECT_EQ(p.files.written().at("/out/disc.csv"),
              "\xEF\xBB\xBF"
              "ファイルパス,メディア名,ファイル名,拡張子,サイズ,登録日,書庫内のパス\r\n"
              "\"e:\\a,b.txt\",\"Disc, \"\"1\"\"\",\"a,b.txt\",,1,2026-12-07,\r\n"
              "\"e:\\line\nend.txt\",\"Disc, \"\"1\"\"\",\"line\nend.txt\",,1,2026-12-07,\r\n"
              "e:\\テ.txt,\"Disc, \"\"1\"\"\",テ.txt,,1,2026-12-07,\r\n")
        << "a Shift-JIS name is written as UTF-8";
    EXPECT_EQ(p.transcript.only("message"), (Lines{"message CSV出力: 保存しました。"}));

    p.dialogs.saveNames = {"/out/all.csv"};
    ExportCsv(p.platform(), catalog, std::nullopt);
    EXPECT_NE(p.files.written().at("/out/all.csv").find("e:\\o.txt,Other,o.txt"),
              std::string::npos);
    EXPECT_EQ(p.transcript.only("save dialog").back(),
              "save dialog CSVファイル(*.csv)|*.csv [Orbisk_2026-12-07.csv]")
        << "a name is suggested: the title, or the program's, and the date";
}

// A stop asked during the writing ends it within a thousand rows, leaves no file and
// claims no success.
TEST_F(EditCatalog, AStoppedExportMakesNoFileAndSaysNothing) {
    std::vector<std::string> names;
    for (int i = 0; i < 5000; ++i) {
        names.push_back(std::to_string(i) + ".txt");
    }
    registration("Many", names);
    struct StoppingWriter : FileWriter {
        std::stop_source stop;
        int lines = 0;
        bool committed = false;
        void write(std::string_view) override {
            if (++lines == 1500) {
                stop.request_stop();
            }
        }
        void commit() override { committed = true; }
    } writer;
    EXPECT_FALSE(WriteCsv(catalog, std::nullopt, writer, writer.stop.get_token()));
    EXPECT_FALSE(writer.committed);
    EXPECT_LE(writer.lines, 2500) << "the writing went on after the stop";

    std::stop_source stopped;
    stopped.request_stop();
    p.dialogs.saveNames = {"/out/many.csv"};
    ExportCsv(p.platform(), catalog, std::string("Many"), stopped.get_token());
    EXPECT_EQ(p.files.written().count("/out/many.csv"), 0u);
    EXPECT_TRUE(p.transcript.only("message").empty());

    p.dialogs.saveNames = {"/out/many.csv"};
    ExportCsv(p.platform(), catalog, std::string("Many"));
    EXPECT_EQ(p.transcript.only("message"), (Lines{"message CSV出力: 保存しました。"}));
}

TEST(Csv, FieldsAreQuotedOnlyWhereTheyMustBe) {
    EXPECT_EQ(CsvLine({"plain", "", "写真"}), "plain,,写真\r\n");
    EXPECT_EQ(CsvLine({"a\"b", "c\r\nd"}), "\"a\"\"b\",\"c\r\nd\"\r\n");
}

// A file name on a disc is anyone's words: a spreadsheet must not run it as a formula.
TEST(Csv, CellsASpreadsheetWouldEvaluateAreKeptAsText) {
    EXPECT_EQ(
        CsvLine({"=HYPERLINK(\"http://x\",\"y\")", "+cmd|calc", "-2+3", "@SUM(A1)"}),
        "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\",\"'+cmd|calc\",\"'-2+3\",\"'@SUM(A1)\"\r\n");
    EXPECT_EQ(CsvLine({"\t=1", "\r=1", "a=1", "1-2"}), "\"'\t=1\",\"'\r=1\",a=1,1-2\r\n");
}

TEST(EditOnAFullDisk, ARenameThatCannotFinishLeavesTheCatalogueAsItWas) {
    SmallDisk disk(512);
    if (!disk.mounted()) {
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    }
    const auto catalog = newCatalog(disk.dir());
    std::vector<FileRow> rows;
    for (int i = 0; i < 1500; ++i) {
        rows.push_back({"e:\\" + std::to_string(i), "A", std::to_string(i), "", "1", ""});
    }
    storeFiles(catalog, rows);
    storeTitle(catalog, "A");
    const auto before = tableRows(catalog, "MediaTable");
    ScriptedPlatform p;
    p.dialogs.texts = {std::string(3000, 'L')}; // every row grows by the long title
    EXPECT_FALSE(RenameTitle(p.platform(), catalog, "A"));
    const auto messages = p.transcript.only("message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("ディスクがいっぱいです"), std::string::npos) << messages[0];
    EXPECT_EQ(tableRows(catalog, "MediaTable"), before);
}

} // namespace
} // namespace orbisk
