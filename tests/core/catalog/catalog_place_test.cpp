#include "catalog/catalog.h"
#include "catalog/catalog_place.h"
#include "support/catalog_rows.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

using namespace testing;

TEST(CatalogPlace, NamedFileThenBesideTheProgramThenTheDataFolder) {
    TempDir dir;
    const auto program = dir / "bin";
    const auto data = dir / "data/orbisk";
    std::filesystem::create_directories(program);
    EXPECT_EQ(ChooseCatalog(std::nullopt, program, data), data / "Orbisk.mdb");
    newCatalog(dir); // a catalogue elsewhere does not count
    dir.write("bin/Orbisk.mdb", "");
    EXPECT_EQ(ChooseCatalog(std::nullopt, program, data), program / "Orbisk.mdb");
    EXPECT_EQ(ChooseCatalog(dir / "named.mdb", program, data), dir / "named.mdb")
        << "a named file wins even when it is not there yet";
}

class FirstStart : public ::testing::Test {
protected:
    TempDir dir;
    ScriptedPlatform p;
    std::filesystem::path data = dir / "home/.local/share/orbisk";
};

TEST_F(FirstStart, OkMakesTheDataFolderAndAnEmptyCatalogue) {
    const auto file = data / "Orbisk.mdb";
    p.dialogs.answers = {Answer::Ok};
    OfferNewCatalog(file, data, p.dialogs);
    EXPECT_EQ(p.transcript.only("message"),
              (Lines{"message Orbisk [OK/Cancel]: カタログがありません。新しく作成しますか？\n" +
                     file.string()}));
    EXPECT_TRUE(tableRows(file, "MediaTable").empty());
    EXPECT_TRUE(tableRows(file, "MediaName").empty());
}

TEST_F(FirstStart, CancelMakesNothing) {
    p.dialogs.answers = {Answer::Cancel};
    OfferNewCatalog(data / "Orbisk.mdb", data, p.dialogs);
    EXPECT_FALSE(std::filesystem::exists(dir / "home"));
}

TEST_F(FirstStart, ACatalogueThatIsThereIsLeftAlone) {
    const auto file = newCatalog(dir);
    storeTitle(file, "KEEP");
    OfferNewCatalog(file, data, p.dialogs);
    EXPECT_TRUE(p.transcript.lines.empty());
    EXPECT_EQ(tableRows(file, "MediaName"), (std::vector<Lines>{{"KEEP"}}));
}

TEST_F(FirstStart, NamedCatalogueInAMissingFolderIsReportedAndNothingIsMade) {
    const auto file = dir / "no such folder/Orbisk.mdb";
    OfferNewCatalog(file, data, p.dialogs);
    EXPECT_EQ(p.transcript.only("message"),
              (Lines{"message Orbisk: カタログのフォルダがありません。\n" + file.string()}));
    EXPECT_FALSE(std::filesystem::exists(dir / "no such folder"));
}

TEST_F(FirstStart, CatalogueThatCannotBeMadeIsReported) {
    std::filesystem::create_directories(dir / "home/.local/share");
    dir.write("home/.local/share/orbisk", "a file where the folder should be");
    p.dialogs.answers = {Answer::Ok};
    OfferNewCatalog(data / "Orbisk.mdb", data, p.dialogs);
    const auto messages = p.transcript.only("message Orbisk:");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("message Orbisk: カタログを作成できませんでした。", 0), 0u);
}

} // namespace
} // namespace orbisk
