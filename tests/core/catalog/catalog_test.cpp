#include "catalog/catalog.h"
#include "catalog/row_reader.h"
#include "catalog/row_writer.h"
#include "catalog/title_list.h"
#include "support/catalog_rows.h"
#include "support/killed_at_write.h"
#include "support/ordinary_user.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace orbisk {
namespace {

using testing::TempDir;

std::vector<std::string> find(const std::filesystem::path& file, const std::string& key,
                              const std::optional<std::string>& title = std::nullopt) {
    std::vector<std::string> out;
    Catalog catalog(file);
    ScanCatalog(catalog, key, title, [&out](Hit&& hit) {
        out.push_back("[" + hit.title + "]" + hit.name + " @" + hit.path);
        return true;
    });
    return out;
}

void store(const std::filesystem::path& file, const std::string& title,
           const std::vector<std::string>& names) {
    std::vector<FileRow> rows;
    for (const auto& name : names) {
        rows.push_back({"e:\\" + name, title, name, "", "0", "2026-12-07"});
    }
    testing::storeFiles(file, rows);
}

TEST(Catalog, StoresEveryColumnAsGiven) {
    TempDir dir;
    const auto file = testing::newCatalog(dir);
    testing::storeFiles(
        file, {{"e:\\DATA\\A.TAR.GZ", " Disc 1 ", "A.TAR.GZ", "GZ", "1,024", "2026-12-07"}});
    testing::storeTitle(file, " Disc 1 ");
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
    } catch (const DatabaseError& error) {
        EXPECT_EQ(error.reason().front().id, MessageId::NotACatalog) << error.what();
    }

    testing::execute(dir / "other.db", "Create Table Other (x)");
    EXPECT_THROW(Catalog(dir / "other.db"), DatabaseError);
    const auto kindOf = [](const std::filesystem::path& file) {
        try {
            Catalog catalog(file);
        } catch (const CatalogError& error) {
            return error.kind();
        }
        return CatalogError::Kind::Other;
    };
    EXPECT_EQ(kindOf(dir.path()), CatalogError::Kind::Folder);
    EXPECT_EQ(kindOf("/dev/zero"), CatalogError::Kind::Device);
    mkfifo((dir / "fifo").c_str(), 0600);
    EXPECT_EQ(kindOf(dir / "fifo"), CatalogError::Kind::Fifo) << "and it did not block";
}

TEST(Catalog, CreateRefusesEveryNameThatIsTakenLinksIncluded) {
    TempDir dir;
    const auto file = testing::newCatalog(dir);
    store(file, "KEEP", {"a.txt"});
    EXPECT_THROW(Catalog::create(file), CatalogError);
    EXPECT_EQ(testing::tableRows(file, "MediaTable").size(), 1u);

    std::filesystem::create_symlink(dir / "elsewhere.mdb", dir / "dangling.mdb");
    EXPECT_THROW(Catalog::create(dir / "dangling.mdb"), CatalogError);
    EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere.mdb")) << "the link was followed";
    EXPECT_THROW(Catalog::create(dir / "no such folder" / "Orbisk.mdb"), CatalogError);
}

// Whether Catalog::create was killed before it ended.
bool createKilledAtWrite(const std::filesystem::path& file, int write) {
    const testing::WorkEnd end = testing::RunKilledAtWrite(write, [&] { Catalog::create(file); });
    if (end == testing::WorkEnd::Failed) {
        ADD_FAILURE() << "create failed without being killed";
    }
    return end == testing::WorkEnd::Killed;
}

TEST(Catalog, CreateKilledAtAnyWriteLeavesAWholeCatalogueOrNone) {
    int write = 1;
    for (; write < 500; ++write) {
        TempDir dir;
        const auto file = dir / Catalog::FileName;
        const bool killed = createKilledAtWrite(file, write);
        if (!killed) {
            // Made whole: the folder holds the catalogue alone, no other name of it, no journal.
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                                    std::filesystem::directory_iterator()),
                      1);
        }
        if (std::filesystem::exists(std::filesystem::symlink_status(file))) {
            // Both tables, and usable: a registration's rows go in.
            testing::storeTitle(file, "Disc A");
            store(file, "Disc A", {"a.txt"});
            EXPECT_EQ(find(file, "*.txt").size(), 1u) << "killed at write " << write;
        } else {
            EXPECT_TRUE(killed) << "create ended without making the file";
            Catalog::create(file);
        }
        if (!killed) {
            break;
        }
    }
    EXPECT_GT(write, 3) << "create was expected to write more than that";
    EXPECT_LT(write, 500) << "create never ended";
}

TEST(Catalog, ReadOnlyCataloguesAreReadAndRefuseWrites) {
    TempDir dir;
    std::filesystem::create_directory(dir / "shared");
    const auto file = dir / "shared" / Catalog::FileName;
    Catalog::create(file);
    testing::storeTitle(file, "Disc A");
    store(file, "Disc A", {"a.txt"});
    // Another user's catalogue in a folder this user cannot write, as on a disc or a share.
    chmod(dir.str().c_str(), 0755);
    chmod((dir / "shared").c_str(), 0755);
    const auto readsButNeverWrites = [&] {
        if (ReadTitles(file) != std::vector<std::string>{"Disc A"} ||
            find(file, "*.TXT").size() != 1) {
            return false;
        }
        try {
            Catalog writer(file, Catalog::Access::Write);
            return false;
        } catch (const DatabaseError& error) {
            return error.reason().front().id == MessageId::CatalogReadOnly;
        }
    };
    EXPECT_TRUE(testing::asOrdinaryUser(readsButNeverWrites));
    // The folder can be written but the file cannot.
    chmod((dir / "shared").c_str(), 0777);
    EXPECT_TRUE(testing::asOrdinaryUser(readsButNeverWrites));
    EXPECT_EQ(testing::tableRows(file, "MediaTable").size(), 1u);
}

TEST(Catalog, DamagedCataloguesAreReportedAsDamaged) {
    TempDir dir;
    const auto file = testing::newCatalog(dir);
    std::vector<FileRow> rows;
    for (int i = 0; i < 3000; ++i) {
        rows.push_back(
            {"e:\\" + std::to_string(i), "A", std::to_string(i) + ".txt", "", "0", "2026-12-07"});
    }
    testing::storeFiles(file, rows);
    testing::execute(file, "PRAGMA wal_checkpoint(TRUNCATE)");
    std::filesystem::copy_file(file, dir / "truncated.mdb");
    std::filesystem::resize_file(dir / "truncated.mdb", 20 * 1024);
    testing::damagePage(file, 60);
    for (const auto& damaged : {file, dir / "truncated.mdb"}) {
        try {
            find(damaged, "*.txt");
            FAIL() << "a damaged catalogue was read to the end";
        } catch (const DatabaseError& error) {
            EXPECT_EQ(error.reason().front().id, MessageId::CatalogDamaged) << error.what();
        }
        EXPECT_THROW(Catalog(damaged, Catalog::Access::Write).checkIntact(), DatabaseError);
    }
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

TEST(Catalog, TitleConditionIgnoresLetterCaseAndIsBound) {
    TempDir dir;
    const auto file = testing::newCatalog(dir);
    store(file, "Photos 2003", {"a.txt"});
    store(file, "photos 2003", {"b.txt"});
    store(file, "Photos 2004", {"c.txt"});
    store(file, "", {"d.txt"});
    store(file, "第Ⅱ巻 ΟΔΟΣ", {"e.txt"});
    store(file, "Photos 2003 ", {"f.txt"});
    EXPECT_EQ(find(file, "*", std::string("PHOTOS 2003")),
              (std::vector<std::string>{"[Photos 2003]a.txt @e:\\a.txt",
                                        "[photos 2003]b.txt @e:\\b.txt"}));
    EXPECT_EQ(find(file, "*", std::string("第ⅱ巻 οδος")),
              (std::vector<std::string>{"[第Ⅱ巻 ΟΔΟΣ]e.txt @e:\\e.txt"}));
    EXPECT_EQ(find(file, "*", std::string("")), (std::vector<std::string>{"[]d.txt @e:\\d.txt"}));
    EXPECT_TRUE(find(file, "*", std::string("x' or '1'='1")).empty());
    EXPECT_TRUE(find(file, "*", std::string("Photos")).empty()) << "the whole title, not a part";
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

TEST(Catalog, ANormalEndLeavesTheCatalogueFileAlone) {
    TempDir dir;
    const auto file = testing::newCatalog(dir);
    store(file, "A", {"a.txt"});
    {
        Catalog reader(file); // readers leave the engine's files as they are
        ScanCatalog(reader, "*", std::nullopt, [](Hit&&) { return true; });
    }
    ASSERT_TRUE(std::filesystem::exists(dir / "Orbisk.mdb-shm"));
    TidyCatalogFiles(file);
    EXPECT_FALSE(std::filesystem::exists(dir / "Orbisk.mdb-wal"));
    EXPECT_FALSE(std::filesystem::exists(dir / "Orbisk.mdb-shm"));
    EXPECT_EQ(testing::tableRows(file, "MediaTable").size(), 1u);
}

TEST(TitleList, AllComesFirstThenEveryTitleRowInOrder) {
    TempDir dir;
    const auto file = testing::newCatalog(dir);
    testing::ScriptedPlatform p;
    EXPECT_EQ(TitleEntries(file, p.dialogs), (std::vector<std::string>{"ALL"}));
    for (const char* title : {"Zeta", "Alpha", "Zeta", "写真 2003"}) {
        testing::storeTitle(file, title);
    }
    EXPECT_EQ(TitleEntries(file, p.dialogs),
              (std::vector<std::string>{"ALL", "Zeta", "Alpha", "Zeta", "写真 2003"}));
    EXPECT_TRUE(p.transcript.lines.empty());
    EXPECT_EQ(TitleEntries(dir / "missing.mdb", p.dialogs), (std::vector<std::string>{"ALL"}))
        << "an unreadable catalogue leaves ALL alone";
    EXPECT_EQ(p.transcript.lines.size(), 1u);
}

TEST(TitleList, RowsWithoutTitleArePassedOverAndTheListHasNoLimit) {
    TempDir dir;
    const auto file = testing::newCatalog(dir);
    testing::execute(
        file, "Insert Into MediaName Values (NULL); Insert Into MediaName Values ('X');"
              "With Recursive n(i) As (Select 1 Union All Select i + 1 From n Where i < 40000) "
              "Insert Into MediaName Select 'T' || i From n;");
    const auto titles = ReadTitles(file);
    ASSERT_EQ(titles.size(), 40001u);
    EXPECT_EQ(titles[0], "X");
    EXPECT_EQ(titles.back(), "T40000");
    EXPECT_THROW(ReadTitles(dir / "missing.mdb"), CatalogError);
}

TEST(Catalog, ASecondReaderDoesNotFailAWrite) {
    TempDir dir;
    const auto file = testing::newCatalog(dir);
    store(file, "A", {"a.txt"});
    Catalog reader(file);
    bool stored = false;
    ScanCatalog(reader, "*", std::nullopt, [&](Hit&&) {
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
