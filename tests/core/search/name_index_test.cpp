#include "catalog/catalog.h"
#include "catalog/row_writer.h"
#include "linux_file_system.h"
#include "search/find_files.h"
#include "search/index_text.h"
#include "search/name_index.h"
#include "support/catalog_rows.h"
#include "support/ordinary_user.h"
#include "support/small_disk.h"
#include "support/temp_dir.h"

#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orbisk {
namespace {

// The file rows an index answer holds, or nothing when the index did not answer.
inline std::optional<std::vector<std::int64_t>> filesOf(const std::optional<IndexAnswer>& answer) {
    return answer ? std::optional<std::vector<std::int64_t>>(answer->files) : std::nullopt;
}

using namespace testing;

using Rows = std::vector<std::int64_t>;

class NameIndexTest : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path catalog = newCatalog(dir);
    LinuxFileSystem files;
    std::filesystem::path folder = dir / "cache/catalog.names";
    NameIndex index{folder, catalog, files};

    void registration(const std::string& title, const std::vector<std::string>& names) {
        Catalog c(catalog, Catalog::Access::Write);
        Catalog::Transaction t(c);
        RowWriter store(c);
        for (const std::string& name : names) {
            store.storeFileRow(
                {"/media/" + title + "/" + name, title, name, "", "1", "2026-12-07"});
        }
        store.storeTitle(title);
        t.commit();
    }
    // The rows FIND gives for a key, with the index when given one, else by a scan.
    Rows find(const std::string& key, const std::string& title = "ALL",
              const NameIndex* through = nullptr) {
        const Search search = SearchCatalog(catalog, through, key, title);
        Rows rows;
        if (search.end == Search::End::TooMany) {
            rows.push_back(-1);
        }
        for (const Hit& hit : search.hits) {
            rows.push_back(hit.row);
        }
        return rows;
    }
    // Asks the index and the scan the same keys; true when the index answered every one
    // as the scan did, or not at all.
    bool agreesWithTheScan(const NameIndex& with, const std::vector<std::string>& keys) {
        for (const std::string& key : keys) {
            const auto picked = filesOf(with.candidates(key, std::nullopt));
            if (picked && *picked != find(key)) {
                ADD_FAILURE() << "the index answered " << picked->size() << " rows for " << key
                              << ", the scan " << find(key).size();
                return false;
            }
        }
        return true;
    }
    std::vector<std::string> namesOf(const std::string& stem, int count) {
        std::vector<std::string> names;
        for (int i = 0; i < count; ++i) {
            names.push_back(stem + std::to_string(i) + ".txt");
        }
        return names;
    }
};

// Names of every kind a disc holds, and keys of every form a user types: FIND through
// the index gives the scan's rows, in the scan's order.
TEST_F(NameIndexTest, FindsExactlyWhatTheScanFindsInTheSameOrder) {
    const std::vector<std::string> parts = {"report",   "Report",
                                            "REPORT",   "2003",
                                            "写真",     "ＡＢＣ",
                                            "ａｂｃ",   "第Ⅱ章",
                                            "第ⅱ章",    "ΟΔΟΣ",
                                            "οδος",     "notes",
                                            "_",        ".txt",
                                            ".TXT",     "it's",
                                            "[x]",      "100%",
                                            "a b",      "\x83\x65\x83\x58",
                                            "\xff",     "Ǆ",
                                            "ǆ",        "#1",
                                            "data",     "ﾊﾝｶｸ",
                                            "ハンカク", "はんかく",
                                            "ｶﾞｲﾄﾞ",    "ガイド",
                                            "テスト",   "ﾃｽﾄ",
                                            "１２３",   "カ\u3099イト\u3099"};
    std::mt19937 random(20261208);
    const auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    std::vector<std::string> names;
    for (int i = 0; i < 3000; ++i) {
        std::string name;
        for (std::size_t k = 1 + pick(4); k > 0; --k) {
            name += parts[pick(parts.size())];
        }
        names.push_back(name + std::to_string(pick(50)));
    }
    for (const char* title : {"Photos", "PHOTOS", "写真 2003", "Disc's", "しゃしん"}) {
        registration(title, std::vector<std::string>(names.begin() + pick(1000),
                                                     names.begin() + 1000 + pick(2000)));
    }
    execute(catalog, "Insert Into MediaTable (ファイルパス, メディア名, ファイル名) "
                     "Values ('/x', NULL, 'report null title'), ('/y', 'Photos', NULL)");
    index.update();

    int indexed = 0;
    for (int i = 0; i < 2000; ++i) {
        // A piece of a real name, in its letter case or another, in a wildcard form.
        const std::string& name = names[pick(names.size())];
        const std::size_t from = pick(name.size());
        std::string key = name.substr(from, 1 + pick(name.size() - from));
        switch (pick(8)) {
        case 0:
            key = "*" + key + "*";
            break;
        case 1:
            key = key + "*";
            break;
        case 2:
            key = "*" + key;
            break;
        case 3:
            key = "*" + key + "?*";
            break;
        case 4:
            key = "*[!z]" + key + "*#*";
            break;
        case 5:
            key = "*" + key.substr(0, key.size() / 2) + "*" + key.substr(key.size() / 2) + "*";
            break;
        case 6:
            key = "?" + key + "*";
            break;
        default:
            break;
        }
        for (char& c : key) {
            if (pick(3) == 0 && c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 32);
            }
        }
        const std::string title =
            std::vector<std::string>{"ALL", "photos", "写真 2003", "none", "ｼｬｼﾝ"}[pick(5)];
        if (filesOf(index.candidates(key, std::nullopt))) {
            ++indexed;
        }
        ASSERT_EQ(find(key, title, &index), find(key, title))
            << "key " << key << " title " << title;
    }
    EXPECT_GT(indexed, 1900) << "the index answered nearly every key";
}

TEST_F(NameIndexTest, AnswersOnlyWhileInStepAndStopsPastTheMostASearchHolds) {
    registration("A", {"report_2003.doc", "notes.txt"});
    EXPECT_FALSE(filesOf(index.candidates("*report*", std::nullopt)))
        << "nothing trusted before the first update";
    index.update();
    EXPECT_EQ(filesOf(index.candidates("*REPORT*", std::nullopt)), (Rows{1}));
    EXPECT_EQ(filesOf(index.candidates("*xyz*", std::nullopt)), Rows{});
    EXPECT_EQ(filesOf(index.candidates("*re*", std::nullopt)), (Rows{1})) << "short keys too";
    EXPECT_EQ(filesOf(index.candidates("*", std::string("a"))), (Rows{1, 2}));
    EXPECT_EQ(filesOf(index.candidates("*", std::string("B"))), Rows{});

    registration("B", {"report_2004.doc"});
    EXPECT_FALSE(filesOf(index.candidates("*report*", std::nullopt))) << "a registration: in doubt";
    index.update();
    EXPECT_EQ(filesOf(index.candidates("*report*", std::nullopt)), (Rows{1, 3}));

    execute(catalog,
            "With Recursive n(i) As (Select 1 Union All Select i + 1 From n Where i < 100000) "
            "Insert Into MediaTable (ファイルパス, メディア名, ファイル名) "
            "Select '/c/' || i, 'C', i || '.jpg' From n");
    index.update();
    EXPECT_EQ(filesOf(index.candidates("*.jpg", std::nullopt))->size(), MostHits + 1);
    EXPECT_EQ(find("*.jpg", "ALL", &index), (Rows{-1})) << "too many, as by a scan";
    EXPECT_EQ(find("*99999.jpg", "c", &index), find("*99999.jpg", "c"));
}

// Another program's changes the index cannot see from row counts or the highest row id.
TEST_F(NameIndexTest, AChangeByAnotherProgramIsFoundWhateverItKeeps) {
    registration("OLD", namesOf("old", 5000));
    registration("KEEP", namesOf("keep", 300));
    index.update();
    const std::vector<std::string> keys = {"*old*", "*newdisc*", "*keep*", "*zqxw*", "*z.txt*"};
    ASSERT_TRUE(agreesWithTheScan(index, keys));

    // The last disc removed and another of as many files added: the same count, the same
    // highest row id, other names.
    execute(catalog,
            "Delete From MediaTable Where メディア名 = 'KEEP';"
            "With Recursive n(i) As (Select 1 Union All Select i + 1 From n Where i < 300) "
            "Insert Into MediaTable (ファイルパス, メディア名, ファイル名) "
            "Select '/n/' || i, 'NEW', 'newdisc' || i || '.txt' From n");
    EXPECT_TRUE(agreesWithTheScan(index, keys)) << "in doubt until checked";
    index.update();
    EXPECT_EQ(filesOf(index.candidates("*newdisc*", std::nullopt))->size(), 300u);
    EXPECT_TRUE(agreesWithTheScan(index, keys));

    // Names changed in place.
    execute(catalog, "Update MediaTable Set ファイル名 = 'zqxw' || rowid Where rowid % 17 = 0");
    EXPECT_TRUE(agreesWithTheScan(index, keys));
    index.update();
    EXPECT_FALSE(filesOf(index.candidates("*zqxw*", std::nullopt))->empty());
    EXPECT_TRUE(agreesWithTheScan(index, keys));

    // A title changed in place: a search of one title sees it.
    execute(catalog, "Update MediaTable Set メディア名 = 'RENAMED' Where rowid = 7");
    index.update();
    EXPECT_EQ(find("*", "renamed", &index), (Rows{7}));

    // Another catalogue of the same shape copied over this one, in place (same inode).
    TempDir other;
    const auto second = newCatalog(other);
    {
        Catalog c(second, Catalog::Access::Write);
        Catalog::Transaction t(c);
        RowWriter store(c);
        for (int i = 0; i < 5300; ++i) {
            store.storeFileRow(
                {"/o/" + std::to_string(i), "O", std::to_string(i) + "z.txt", "", "1", ""});
        }
        t.commit();
    }
    execute(second, "PRAGMA wal_checkpoint(TRUNCATE)");
    execute(catalog, "PRAGMA wal_checkpoint(TRUNCATE)");
    const auto inode = std::filesystem::status(catalog).permissions();
    std::filesystem::copy_file(second, catalog, std::filesystem::copy_options::overwrite_existing);
    EXPECT_EQ(std::filesystem::status(catalog).permissions(), inode);
    EXPECT_TRUE(agreesWithTheScan(index, keys));
    index.update();
    EXPECT_EQ(filesOf(index.candidates("*z.txt*", std::nullopt))->size(), 5300u);
    EXPECT_TRUE(agreesWithTheScan(index, keys));
}

// Two copies of the program on one catalogue, each bringing the index up to date while
// the other does: neither takes the other's half-written files, and both end in step.
TEST_F(NameIndexTest, TwoProcessesOnOneCatalogueNeverTrustAHalfBuiltIndex) {
    for (int disc = 0; disc < 4; ++disc) {
        registration("D" + std::to_string(disc), namesOf("report" + std::to_string(disc), 20000));
    }
    const Rows all = find("*report*");
    for (int round = 0; round < 3; ++round) {
        std::filesystem::remove_all(folder);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            LinuxFileSystem own;
            NameIndex second(folder, catalog, own);
            second.update();
            const auto rows = filesOf(second.candidates("*report*", std::nullopt));
            _exit(!rows || *rows == all ? 0 : 1);
        }
        NameIndex first(folder, catalog, files);
        first.update();
        const auto rows = filesOf(first.candidates("*report*", std::nullopt));
        EXPECT_TRUE(!rows || *rows == all) << "round " << round;
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "round " << round;
        NameIndex later(folder, catalog, files);
        later.update();
        EXPECT_EQ(filesOf(later.candidates("*report*", std::nullopt)), all) << "round " << round;
    }
}

TEST_F(NameIndexTest, ABusyIndexIsLeftAloneAndAKilledBuildLeavesNothingBehind) {
    registration("A", namesOf("report", 200));
    std::filesystem::create_directories(folder);
    {
        const auto held = files.tryLock((folder / "lock").string());
        ASSERT_NE(held, nullptr);
        int asked = 0;
        index.update({}, [&asked] { return ++asked < 3; });
        EXPECT_FALSE(filesOf(index.candidates("*report*", std::nullopt))) << "busy: not trusted";
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1)
            << "and nothing written or removed";
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        LinuxFileSystem own;
        NameIndex killed(folder, catalog, own);
        // Killed as soon as it has read a batch of rows, in the middle of the build.
        killed.update([](std::int64_t, std::int64_t) { raise(SIGKILL); });
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    index.update();
    EXPECT_EQ(filesOf(index.candidates("*report*", std::nullopt))->size(), 200u);
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        EXPECT_EQ(entry.path().filename().string().find(".orbisk-"), std::string::npos)
            << "a leftover: " << entry.path();
    }
}

TEST_F(NameIndexTest, ADeletedTruncatedOrDamagedSegmentIsPassedOverThenMadeAgain) {
    registration("A", {"report.txt", "other.txt"});
    index.update();
    std::filesystem::path segment;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().rfind("seg-", 0) == 0) {
            segment = entry.path();
        }
    }
    ASSERT_FALSE(segment.empty());
    const std::string whole = [&] {
        std::ifstream in(segment, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }();

    std::filesystem::resize_file(segment, whole.size() / 2);
    NameIndex cut(folder, catalog, files);
    EXPECT_FALSE(cut.check());
    cut.update();
    EXPECT_EQ(filesOf(cut.candidates("*report*", std::nullopt)), (Rows{1}));

    // A byte flipped inside: only reading the whole file finds it, once a run.
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().rfind("seg-", 0) == 0) {
            segment = entry.path();
        }
    }
    {
        std::fstream file(segment, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(140);
        file.put('#');
    }
    NameIndex damaged(folder, catalog, files);
    EXPECT_FALSE(damaged.check());
    damaged.update();
    EXPECT_EQ(filesOf(damaged.candidates("*report*", std::nullopt)), (Rows{1}));
    EXPECT_TRUE(NameIndex(folder, catalog, files).check());
}

// A segment cut short or changed in place by another program while the index is in use:
// the search that meets it scans instead (and lives), and the next update proves the index
// again.
TEST_F(NameIndexTest, ASegmentCutOrChangedWhileInUseMeansScanningThenProvingAgain) {
    std::vector<std::string> names = namesOf("report", 30000);
    registration("A", names);
    index.update();
    ASSERT_TRUE(index.trusted());
    const Rows all = find("*report1*");
    ASSERT_EQ(find("*report1*", "ALL", &index), all);
    std::filesystem::path segment;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().rfind("seg-", 0) == 0) {
            segment = entry.path();
        }
    }
    ASSERT_FALSE(segment.empty());
    const auto size = std::filesystem::file_size(segment);

    // Cut in place, not replaced: the index holds the file open.
    ASSERT_EQ(truncate(segment.c_str(), static_cast<off_t>(size / 3)), 0);
    EXPECT_FALSE(index.candidates("*report1*", std::nullopt));
    EXPECT_FALSE(index.trusted());
    EXPECT_EQ(find("*report1*", "ALL", &index), all) << "by a scan";
    index.update();
    EXPECT_TRUE(index.trusted());
    EXPECT_EQ(filesOf(index.candidates("*report1*", std::nullopt)), all);

    // Changed in place, the same size: a block's names overwritten.
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().rfind("seg-", 0) == 0) {
            segment = entry.path();
        }
    }
    {
        std::fstream file(segment, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(200);
        file.write(std::string(4000, 'z').data(), 4000);
    }
    EXPECT_FALSE(index.candidates("*report1*", std::nullopt));
    EXPECT_FALSE(index.trusted());
    index.update();
    EXPECT_EQ(filesOf(index.candidates("*report1*", std::nullopt)), all);
}

TEST_F(NameIndexTest, NeverWritesThroughALink) {
    registration("A", {"report.txt"});
    std::filesystem::create_directories(dir / "cache");
    std::filesystem::create_directory(dir / "elsewhere");
    std::filesystem::create_directory_symlink(dir / "elsewhere", folder);
    index.update();
    EXPECT_FALSE(filesOf(index.candidates("*report*", std::nullopt)));
    EXPECT_TRUE(std::filesystem::is_empty(dir / "elsewhere"));

    std::filesystem::remove(folder);
    std::filesystem::create_directory(folder);
    dir.write("victim.db", "not the index's");
    std::filesystem::create_symlink(dir / "victim.db", folder / "manifest");
    index.update();
    EXPECT_EQ(dir.read("victim.db"), "not the index's");
    EXPECT_EQ(filesOf(index.candidates("*report*", std::nullopt)), (Rows{1}))
        << "the link itself is replaced";
}

TEST_F(NameIndexTest, ABuildThatFillsTheDiskLeavesNoPartOfItself) {
    SmallDisk disk(256);
    if (!disk.mounted()) {
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    }
    registration("A", namesOf("a rather long file name for the index to hold ", 20000));
    NameIndex full(disk.dir() / "index", catalog, files);
    full.update();
    EXPECT_FALSE(filesOf(full.candidates("*long*", std::nullopt)));
    for (const auto& entry : std::filesystem::directory_iterator(disk.dir() / "index")) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "lock") << "left behind: " << name;
    }
}

TEST_F(NameIndexTest, ReadOnlyCatalogueIsStillIndexedInTheCache) {
    registration("A", {"report.txt"});
    chmod(dir.str().c_str(), 0755);
    chmod(catalog.c_str(), 0444);
    const std::filesystem::path cache = dir / "nobody-cache";
    std::filesystem::create_directory(cache);
    chown(cache.c_str(), 65534, 65534);
    EXPECT_TRUE(asOrdinaryUser([&] {
        LinuxFileSystem own;
        NameIndex readOnly(cache / "catalog.names", catalog, own);
        readOnly.update();
        return filesOf(readOnly.candidates("*report*", std::nullopt)) == Rows{1};
    }));
}

TEST_F(NameIndexTest, CacheFolderThatCannotBeWrittenMeansScanning) {
    registration("A", {"report.txt"});
    dir.write("cache", "a file where the cache folder should be");
    index.update();
    EXPECT_FALSE(filesOf(index.candidates("*report*", std::nullopt)));
    EXPECT_EQ(find("*report*", "ALL", &index), (Rows{1}));
}

TEST_F(NameIndexTest, ACheckTrustsAnUntouchedIndexWithoutReadingTheCatalogue) {
    registration("A", {"report.txt"});
    index.update();
    NameIndex later(folder, catalog, files);
    EXPECT_TRUE(later.check());
    EXPECT_EQ(filesOf(later.candidates("*report*", std::nullopt)), (Rows{1}));
    registration("B", {"report2.txt"});
    EXPECT_FALSE(filesOf(later.candidates("*report*", std::nullopt)));
    EXPECT_FALSE(NameIndex(folder, catalog, files).check());
}

TEST(IndexText, FoldsAsTheMatcherAndKeepsOtherBytesApart) {
    EXPECT_EQ(IndexText("ReportＡ第Ⅱ章ﾃｽﾄ"), "reporta第ⅱ章テスト");
    EXPECT_EQ(IndexText("\x83\x65\x83\x58\x83\x67"), "テスト") << "code page 932, as shown";
    EXPECT_EQ(IndexText("\xff\x65"), "\xED\xB3\xBF\x65") << "0xFF, in no code, kept as itself";
    std::u32string decoded;
    DecodeIndexText(IndexText("\xff\x65"), decoded);
    EXPECT_EQ(decoded, (std::u32string{0xDCFF, 0x65}));
    EXPECT_NE(IndexFolderFor("/a/Orbisk.mdb", "/cache"), IndexFolderFor("/b/Orbisk.mdb", "/cache"));
    EXPECT_EQ(IndexFolderFor("/a/Orbisk.mdb", "/cache").parent_path(), "/cache");
}

} // namespace
} // namespace orbisk
