#include "catalog/catalog.h"
#include "catalog/title_list.h"
#include "support/catalog_rows.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

using testing::TempDir;

std::vector<std::string> find(const std::filesystem::path& file, const std::string& key,
                              const std::optional<std::string>& title = std::nullopt) {
    std::vector<std::string> out;
    Catalog(file).findFiles(key, title, [&out](CatalogHit&& hit) {
        out.push_back("[" + hit.title + "]" + hit.name + " @" + hit.path);
        return true;
    });
    return out;
}

void store(const std::filesystem::path& file, const std::string& title,
           const std::vector<std::string>& names) {
    Catalog catalog(file);
    for (const auto& name : names) {
        catalog.storeFileRow({"e:\\" + name, title, name, "", "0", "2026-12-07"});
    }
}

TEST(Catalog, StoresEveryColumnAsGiven) {
    TempDir dir;
    const auto file = testing::newCatalog(dir);
    Catalog(file).storeFileRow(
        {"e:\\DATA\\A.TAR.GZ", " Disc 1 ", "A.TAR.GZ", "GZ", "1,024", "2026-12-07"});
    Catalog(file).storeTitle(" Disc 1 ");
    const auto rows = testing::tableRows(file, "MediaTable");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"e:\\DATA\\A.TAR.GZ", " Disc 1 ", "A.TAR.GZ", "GZ",
                                                 "1,024", "2026-12-07"}));
    EXPECT_EQ(testing::tableRows(file, "MediaName"),
              (std::vector<std::vector<std::string>>{{" Disc 1 "}}));
}

TEST(Catalog, MissingOrForeignFilesGiveClearErrors) {
    TempDir dir;
    EXPECT_THROW(Catalog(dir / "Orbisk.mdb"), CatalogError);
    EXPECT_FALSE(std::filesystem::exists(dir / "Orbisk.mdb"))
        << "opening must never create the file";

    dir.write("text.mdb", "this is not a database at all, just some text in a file");
    try {
        Catalog catalog(dir / "text.mdb");
        FAIL() << "a text file was opened as a catalogue";
    } catch (const CatalogError& error) {
        EXPECT_NE(std::string(error.what()).find("カタログのファイルではありません"),
                  std::string::npos)
            << error.what();
    }

    testing::execute(dir / "other.db", "Create Table Other (x)");
    EXPECT_THROW(Catalog(dir / "other.db"), CatalogError);
}

TEST(Catalog, CreateRefusesAnExistingFile) {
    TempDir dir;
    const auto file = testing::newCatalog(dir);
    store(file, "KEEP", {"a.txt"});
    EXPECT_THROW(Catalog::create(file), CatalogError);
    EXPECT_EQ(testing::tableRows(file, "MediaTable").size(), 1u);
}

TEST(Catalog, SearchMatchesTheNameAloneWithTheCataloguesLike) {
    TempDir dir;
    const auto file = testing::newCatalog(dir);
    store(file, "A", {"Notes.TXT", "photo.jpg", "readme", "it's me.txt"});
    store(file, "B", {"todo.txt"});
    EXPECT_EQ(find(file, "*.txt").size(), 3u);
    EXPECT_EQ(find(file, "README"), (std::vector<std::string>{"[A]readme @e:\\readme"}));
    EXPECT_TRUE(find(file, "e:*").empty()) << "the path is never matched";
    EXPECT_EQ(find(file, "it's*"), (std::vector<std::string>{"[A]it's me.txt @e:\\it's me.txt"}));
    EXPECT_TRUE(find(file, "' or '1'='1").empty());
    EXPECT_TRUE(find(file, "").empty());
}

TEST(Catalog, TitleConditionIsExactAndBound) {
    TempDir dir;
    const auto file = testing::newCatalog(dir);
    store(file, "Disc's", {"a.txt"});
    store(file, "disc's", {"b.txt"});
    store(file, "", {"c.txt"});
    EXPECT_EQ(find(file, "*", std::string("Disc's")),
              (std::vector<std::string>{"[Disc's]a.txt @e:\\a.txt"}));
    EXPECT_EQ(find(file, "*", std::string("")), (std::vector<std::string>{"[]c.txt @e:\\c.txt"}));
    EXPECT_TRUE(find(file, "*", std::string("x' or '1'='1")).empty());
}

TEST(Catalog, RowsComeInEngineOrderWithDuplicatesKept) {
    TempDir dir;
    const auto file = testing::newCatalog(dir);
    store(file, "A", {"z.txt", "a.txt"});
    store(file, "A", {"z.txt", "a.txt"});
    EXPECT_EQ(find(file, "*.txt"),
              (std::vector<std::string>{"[A]z.txt @e:\\z.txt", "[A]a.txt @e:\\a.txt",
                                        "[A]z.txt @e:\\z.txt", "[A]a.txt @e:\\a.txt"}));
}

TEST(TitleList, AllComesFirstThenEveryTitleRowInOrder) {
    TempDir dir;
    const auto file = testing::newCatalog(dir);
    EXPECT_EQ(ReadTitleList(file), (std::vector<std::string>{"ALL"}));
    for (const char* title : {"Zeta", "Alpha", "Zeta", "写真 2003"}) {
        Catalog(file).storeTitle(title);
    }
    EXPECT_EQ(ReadTitleList(file),
              (std::vector<std::string>{"ALL", "Zeta", "Alpha", "Zeta", "写真 2003"}));
}

TEST(TitleList, RowsWithoutTitleArePassedOverAndTheListHasNoLimit) {
    TempDir dir;
    const auto file = testing::newCatalog(dir);
    testing::execute(
        file, "Insert Into MediaName Values (NULL); Insert Into MediaName Values ('X');"
              "With Recursive n(i) As (Select 1 Union All Select i + 1 From n Where i < 40000) "
              "Insert Into MediaName Select 'T' || i From n;");
    const auto titles = ReadTitleList(file);
    ASSERT_EQ(titles.size(), 40002u);
    EXPECT_EQ(titles[1], "X");
    EXPECT_EQ(titles.back(), "T40000");
    EXPECT_THROW(ReadTitleList(dir / "missing.mdb"), CatalogError);
}

TEST(Catalog, ASecondReaderDoesNotFailAWrite) {
    TempDir dir;
    const auto file = testing::newCatalog(dir);
    store(file, "A", {"a.txt"});
    Catalog reader(file);
    bool stored = false;
    reader.findFiles("*", std::nullopt, [&](CatalogHit&&) {
        // A write while another connection is in the middle of reading.
        store(file, "B", {"b.txt"});
        stored = true;
        return true;
    });
    EXPECT_TRUE(stored);
    EXPECT_EQ(find(file, "*").size(), 2u);
}

} // namespace
} // namespace orbisk
