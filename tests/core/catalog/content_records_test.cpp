#include "catalog/catalog.h"
#include "catalog/content_records.h"
#include "catalog/disc_rows.h"
#include "catalog/row_writer.h"
#include "media/disc_identity.h"
#include "support/catalog_rows.h"
#include "support/killed_at_write.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

using testing::TempDir;

const ContentFingerprint First{0x0123456789ABCDEFULL, 0xFEDCBA9876543210ULL};
const ContentFingerprint Second{1, 2};

FileRow fileRow(const std::string& title, const std::string& path) {
    return {path, title, path.substr(path.rfind('/') + 1), "", "12", "2026-12-01"};
}

// Registers title's files in one transaction, a packed file in each file named .zip, with
// its disc record; returns the record.
DiscRecord registerDisc(const std::filesystem::path& file, const std::string& title,
                        const std::vector<std::string>& paths) {
    Catalog catalog(file, Catalog::Access::Write);
    Catalog::Transaction registration(catalog);
    ForgetRemovedDiscRecords(catalog);
    RowWriter store(catalog);
    DiscRecord record;
    record.title = title;
    for (const auto& path : paths) {
        const FileRow row = fileRow(title, path);
        const std::int64_t id = store.storeFileRow(row);
        record.firstRow = record.firstRow == 0 ? id : record.firstRow;
        record.lastRow = id;
        AppendKeptFacts(record.keptFacts, path, {12000, 1764547200});
        if (path.ends_with(".zip")) {
            store.storeMember(id, row, {"in/packed.txt", "packed.txt", {5, 1764547200}, 3});
        }
    }
    store.storeTitle(title);
    MakeDiscRecords(catalog);
    StoreDiscRecord(catalog, record);
    registration.commit();
    return ReadDiscRecords(catalog, title, true).back();
}

std::int64_t firstMember(const std::filesystem::path& file) {
    return std::stoll(testing::tableRows(file, "OrbiskMembers").at(0).at(0));
}

void store(const std::filesystem::path& file, const StoredContent& content) {
    Catalog catalog(file, Catalog::Access::Write);
    StoreContent(catalog, content);
}

std::vector<std::string> contents(const std::filesystem::path& file) {
    Catalog catalog(file);
    std::vector<std::string> out;
    for (const auto& stored : ReadContents(catalog, std::nullopt)) {
        out.push_back(std::to_string(stored.fileRow) + "/" + std::to_string(stored.member) + " " +
                      stored.content.text());
    }
    return out;
}

TEST(ContentRecords, FilesAndPackedFilesKeepTheirFingerprintsAndAVerificationReadsThem) {
    TempDir dir;
    const auto file = testing::newCatalog(dir);
    const DiscRecord disc = registerDisc(file, "Disc A", {"/a/one.txt", "/a/two.zip"});
    const std::int64_t member = firstMember(file);
    store(file, {disc.firstRow, 0, Second});
    store(file, {disc.firstRow, 0, First}); // the later one holds
    store(file, {disc.lastRow, member, Second});
    // Nothing for a row, or a packed file, that is not there or not the row's.
    store(file, {disc.lastRow + 5, 0, First});
    store(file, {disc.firstRow, member, First});
    EXPECT_EQ(contents(file),
              (std::vector<std::string>{std::to_string(disc.firstRow) + "/0 " + First.text(),
                                        std::to_string(disc.lastRow) + "/" +
                                            std::to_string(member) + " " + Second.text()}));

    Catalog catalog(file);
    const auto rows = ReadRegisteredRows(catalog, disc, disc.keptFacts);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].path, "/a/one.txt");
    EXPECT_EQ(rows[0].content, First);
    EXPECT_EQ(rows[0].facts, (FileFacts{12000, 1764547200}));
    EXPECT_FALSE(rows[1].content);
    ASSERT_EQ(rows[1].members.size(), 1u);
    EXPECT_EQ(rows[1].members[0].place, 3u);
    EXPECT_EQ(rows[1].members[0].path, "in/packed.txt");
    EXPECT_EQ(rows[1].members[0].bytes, 5u);
    EXPECT_EQ(rows[1].members[0].content, Second);
}

TEST(ContentRecords, AFingerprintNeverPassesToAnotherFileThatTakesItsRow) {
    TempDir dir;
    const auto file = testing::newCatalog(dir);
    const DiscRecord a = registerDisc(file, "Disc A", {"/d/same.txt", "/d/last.zip"});
    const std::int64_t member = firstMember(file);
    store(file, {a.firstRow, 0, First});
    store(file, {a.lastRow, 0, First});
    store(file, {a.lastRow, member, Second});

    // Another program removes the last row and adds one of the same path, size and date
    // but another disc's: the engine gives it the removed row's id.
    const std::string last = std::to_string(a.lastRow);
    testing::execute(file,
                     "Delete From MediaTable Where rowid = " + last +
                         ";"
                         "Insert Into MediaTable (ファイルパス, メディア名, ファイル名, 拡張子, "
                         "サイズ, 登録日) Values ('/d/last.zip', 'Disc B', 'last.zip', '', "
                         "'12', '2026-12-01');");
    // A row changed within its day and size keeps its path: only the size differs.
    testing::execute(file, "Update MediaTable Set サイズ = '13' Where rowid = " +
                               std::to_string(a.firstRow));
    EXPECT_TRUE(contents(file).empty());

    // A registration by this program forgets the fingerprints of rows gone past the last
    // row, so a disc of the same title that takes the ids finds none.
    testing::execute(file, "Delete From MediaTable Where rowid >= " + std::to_string(a.firstRow));
    const DiscRecord again = registerDisc(file, "Disc A", {"/d/same.txt", "/d/last.zip"});
    ASSERT_EQ(again.firstRow, a.firstRow);
    EXPECT_TRUE(contents(file).empty());
}

TEST(ContentRecords, RenameTakesFingerprintsAndVerificationAlongAndRemoveTakesThemAway) {
    TempDir dir;
    const auto file = testing::newCatalog(dir);
    const DiscRecord a = registerDisc(file, "Disc A", {"/a/one.zip"});
    const DiscRecord other = registerDisc(file, "disc a", {"/a/one.zip"});
    const std::int64_t member = firstMember(file);
    for (const DiscRecord& disc : {a, other}) {
        store(file, {disc.firstRow, 0, First});
        Catalog catalog(file, Catalog::Access::Write);
        StoreVerification(catalog, disc, {1765000000, {3, 1, 2, 0, 1, 0}});
    }
    store(file, {a.firstRow, member, Second});

    {
        Catalog catalog(file, Catalog::Access::Write);
        RenameDisc(catalog, "Disc A", "Disc Z");
    }
    EXPECT_EQ(contents(file).size(), 3u);
    {
        Catalog catalog(file);
        const auto renamed = ReadDiscRecords(catalog, std::string("Disc Z"), false);
        ASSERT_EQ(renamed.size(), 1u);
        const auto verification = ReadVerification(catalog, renamed[0]);
        ASSERT_TRUE(verification);
        EXPECT_EQ(verification->when, 1765000000);
        EXPECT_EQ(verification->counts.unreadable, 2u);
        EXPECT_EQ(verification->counts.unlisted, 1u);
        EXPECT_EQ(ReadRegisteredRows(catalog, renamed[0], "")[0].members[0].content, Second);
    }
    {
        Catalog catalog(file, Catalog::Access::Write);
        RemoveDisc(catalog, "Disc Z");
    }
    // The title differing only in letter case keeps its own.
    EXPECT_EQ(contents(file),
              std::vector<std::string>{std::to_string(other.firstRow) + "/0 " + First.text()});
    EXPECT_EQ(testing::tableRows(file, "OrbiskVerifications").size(), 1u);
    Catalog catalog(file);
    EXPECT_TRUE(ReadVerification(catalog, other));
}

TEST(ContentRecords, AVerificationIsNotTakenByARegistrationThatReusesItsIdsAndRows) {
    TempDir dir;
    const auto file = testing::newCatalog(dir);
    const DiscRecord a = registerDisc(file, "Disc A", {"/a/1", "/a/2"});
    {
        Catalog catalog(file, Catalog::Access::Write);
        StoreVerification(catalog, a, {1765000000, {2, 0, 0, 0, 0, 0}});
    }
    // Another program removes the disc's rows; the same disc registered again takes the
    // same ids, rows and title.
    testing::execute(file, "Delete From MediaTable Where rowid >= " + std::to_string(a.firstRow) +
                               "; Delete From OrbiskDiscs;");
    const DiscRecord again = registerDisc(file, "Disc A", {"/a/1", "/a/2"});
    ASSERT_EQ(again.registration, a.registration);
    ASSERT_EQ(again.lastRow, a.lastRow);
    Catalog catalog(file);
    EXPECT_FALSE(ReadVerification(catalog, again));
}

TEST(ContentRecords, AKillAtAnyWriteLeavesTheVerificationsWritesWholeOrNone) {
    TempDir dir;
    const auto file = testing::newCatalog(dir);
    std::vector<std::string> paths;
    for (int i = 0; i < 300; ++i) {
        paths.push_back("/disc/folder/a file of a long name " + std::to_string(i));
    }
    const DiscRecord disc = registerDisc(file, "Disc A", paths);
    const auto before = std::filesystem::path(dir / "before.mdb");
    std::filesystem::copy_file(file, before);
    int write = 1;
    for (; write < 200; ++write) {
        std::filesystem::copy_file(before, file, std::filesystem::copy_options::overwrite_existing);
        const testing::WorkEnd end = testing::RunKilledAtWrite(write, [&] {
            Catalog catalog(file, Catalog::Access::Write);
            Catalog::Transaction verification(catalog);
            for (std::int64_t row = disc.firstRow; row <= disc.lastRow; ++row) {
                StoreContent(catalog, {row, 0, {static_cast<std::uint64_t>(row), 7}});
            }
            StoreVerification(catalog, disc, {1765000000, {300, 0, 0, 0, 0, 0}});
            verification.commit();
        });
        ASSERT_NE(end, testing::WorkEnd::Failed) << "failed at " << write;
        const std::size_t kept = contents(file).size();
        Catalog catalog(file);
        const bool verified = ReadVerification(catalog, disc).has_value();
        EXPECT_TRUE((kept == 0 && !verified) || (kept == 300 && verified))
            << "killed at write " << write << ": " << kept << " fingerprints";
        if (end != testing::WorkEnd::Killed) {
            EXPECT_TRUE(verified);
            break;
        }
    }
    EXPECT_GT(write, 2);
    EXPECT_LT(write, 200);
}

} // namespace
} // namespace orbisk
