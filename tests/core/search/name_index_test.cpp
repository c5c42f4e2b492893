#include "catalog/catalog.h"
#include "linux_file_system.h"
#include "registration/registration_store.h"
#include "search/find_files.h"
#include "search/name_index.h"
#include "support/catalog_rows.h"
#include "support/ordinary_user.h"
#include "support/scripted_platform.h"
#include "support/small_disk.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

namespace orbisk {
namespace {

using namespace testing;

class NameIndexTest : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path catalog = newCatalog(dir);
    LinuxFileSystem files;
    NameIndex index{dir / "cache/catalog.index", catalog, files};
    ScriptedPlatform p;

    void registration(const std::string& title, const std::vector<std::string>& names) {
        Catalog c(catalog, Catalog::Access::Write);
        Catalog::Transaction t(c);
        RegistrationStore store(c);
        for (const std::string& name : names) {
            store.storeFileRow(
                {"/media/" + title + "/" + name, title, name, "", "1", "2026-12-07"});
        }
        store.storeTitle(title);
        t.commit();
    }
    // The hits of FIND, each as "[title]path", with the index or scanning.
    Lines find(const std::string& key, const std::string& title = "ALL", bool indexed = true) {
        const Search search = SearchCatalog(catalog, indexed ? &index : nullptr, key, title);
        Lines out;
        if (search.end == Search::End::TooMany) {
            out.push_back("too many");
        }
        for (const Hit& hit : search.hits) {
            out.push_back("[" + hit.title + "]" + hit.path);
        }
        return out;
    }
    std::int64_t indexedRows() {
        std::int64_t total = -1;
        index.update([&](std::int64_t, std::int64_t all) { total = all; });
        return total;
    }
};

// Names of every kind a disc holds, and keys of every form a user types: FIND through
// the index gives the scan's rows, in the scan's order.
TEST_F(NameIndexTest, FindsExactlyWhatTheScanFindsInTheSameOrder) {
    const std::vector<std::string> parts = {"report",
                                            "Report",
                                            "REPORT",
                                            "2003",
                                            "写真",
                                            "ＡＢＣ",
                                            "ａｂｃ",
                                            "第Ⅱ章",
                                            "第ⅱ章",
                                            "ΟΔΟΣ",
                                            "οδος",
                                            "notes",
                                            "_",
                                            ".txt",
                                            ".TXT",
                                            "it's",
                                            "[x]",
                                            "100%",
                                            "a b",
                                            "\x83\x65\x83\x58",
                                            "\xff",
                                            "Ǆ",
                                            "ǆ",
                                            "#1",
                                            "data",
                                            "ﾊﾝｶｸ",
                                            "ハンカク",
                                            "はんかく",
                                            "ｶﾞｲﾄﾞ",
                                            "ガイド",
                                            "カ\u3099イト\u3099",
                                            "１２３",
                                            "テスト",
                                            "ﾃｽﾄ"};
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
        if (index.candidates(key, std::nullopt)) {
            ++indexed;
        }
        ASSERT_EQ(find(key, title), find(key, title, false)) << "key " << key << " title " << title;
    }
    EXPECT_GT(indexed, 500) << "the index picked the rows for many keys";
}

TEST_F(NameIndexTest, IsUsedOnlyForKeysWithARunOfThreeAndOnlyWhileInStep) {
    registration("A", {"report_2003.doc", "notes.txt"});
    EXPECT_FALSE(index.candidates("*report*", std::nullopt))
        << "nothing trusted before the first update";
    index.update();
    EXPECT_EQ(index.candidates("*REPORT*", std::nullopt), (std::vector<std::int64_t>{1}));
    EXPECT_EQ(index.candidates("*xyz*", std::nullopt), std::vector<std::int64_t>{});
    EXPECT_FALSE(index.candidates("*re*", std::nullopt)) << "no run of three: scan";
    EXPECT_FALSE(index.candidates("r?p*", std::nullopt));

    // A registration: in doubt until the index has caught up with the appended rows.
    registration("B", {"report_2004.doc"});
    EXPECT_FALSE(index.candidates("*report*", std::nullopt));
    EXPECT_EQ(indexedRows(), 1) << "only the new row is indexed";
    EXPECT_EQ(index.candidates("*report*", std::nullopt), (std::vector<std::int64_t>{1, 3}));
}

TEST_F(NameIndexTest, RowsRemovedOrTheCatalogueReplacedMakeItAnew) {
    registration("A", {"a1.txt", "a2.txt"});
    registration("B", {"b1.txt"});
    index.update();
    execute(catalog, "Delete From MediaTable Where メディア名 = 'A'"); // another program
    EXPECT_EQ(indexedRows(), 1) << "built anew from the one row left";
    EXPECT_EQ(find("*txt*"), (Lines{"[B]/media/B/b1.txt"}));

    std::filesystem::remove(catalog);
    Catalog::create(catalog);
    registration("C", {"c1.txt"});
    EXPECT_EQ(indexedRows(), 1);
    EXPECT_EQ(find("*txt*"), (Lines{"[C]/media/C/c1.txt"}));
}

TEST_F(NameIndexTest, ADeletedTruncatedOrDamagedIndexIsPassedOverThenMadeAgain) {
    registration("A", {"report.txt", "other.txt"});
    index.update();
    const auto file = index.file();

    std::filesystem::remove(file);
    EXPECT_FALSE(index.candidates("*report*", std::nullopt));
    EXPECT_EQ(find("*report*"), (Lines{"[A]/media/A/report.txt"}));
    index.update();
    EXPECT_TRUE(index.candidates("*report*", std::nullopt));

    std::filesystem::resize_file(file, std::filesystem::file_size(file) / 2);
    EXPECT_FALSE(index.candidates("*report*", std::nullopt))
        << "the index changed behind the program's back";
    EXPECT_EQ(find("*report*"), (Lines{"[A]/media/A/report.txt"}));
    NameIndex again(file, catalog, files); // the next run checks the file whole
    again.update();
    EXPECT_EQ(again.candidates("*report*", std::nullopt), (std::vector<std::int64_t>{1}));

    damagePage(file, 3, 4096);
    NameIndex third(file, catalog, files);
    third.update();
    EXPECT_EQ(third.candidates("*report*", std::nullopt), (std::vector<std::int64_t>{1}));
}

TEST_F(NameIndexTest, ReadOnlyCatalogueIsStillIndexedInTheCache) {
    registration("A", {"report.txt"});
    chmod(dir.str().c_str(), 0755);
    chmod(catalog.c_str(), 0444);
    const std::filesystem::path cache = dir / "nobody-cache";
    std::filesystem::create_directory(cache);
    chown(cache.c_str(), 65534, 65534);
    EXPECT_TRUE(asOrdinaryUser([&] {
        NameIndex readOnly(cache / "catalog.index", catalog, files);
        readOnly.update();
        return readOnly.candidates("*report*", std::nullopt) == std::vector<std::int64_t>{1};
    }));
}

TEST_F(NameIndexTest, CacheFolderThatCannotBeWrittenMeansScanningAndNoMessage) {
    registration("A", {"report.txt"});
    dir.write("cache", "a file where the cache folder should be");
    index.update();
    EXPECT_FALSE(index.candidates("*report*", std::nullopt));
    EXPECT_EQ(find("*report*"), (Lines{"[A]/media/A/report.txt"}));
    EXPECT_TRUE(p.transcript.only("message").empty());
}

TEST(IndexText, FoldsAsTheMatcherAndKeepsOtherBytesApart) {
    EXPECT_EQ(IndexText("ReportＡ第Ⅱ章"), "reporta第ⅱ章");
    EXPECT_EQ(IndexText("\x83\x65"), "\xEF\x9E\x83\x65") << "0x83 kept as a private character";
    EXPECT_NE(IndexFileFor("/a/Orbisk.mdb", "/cache"), IndexFileFor("/b/Orbisk.mdb", "/cache"));
    EXPECT_EQ(IndexFileFor("/a/Orbisk.mdb", "/cache").parent_path(), "/cache");
}

} // namespace
} // namespace orbisk
