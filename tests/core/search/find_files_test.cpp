#include "catalog/catalog.h"
#include "linux_file_system.h"
#include "registration/registration_store.h"
#include "search/find_files.h"
#include "search/name_index.h"
#include "support/catalog_rows.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"
#include "words.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

using namespace testing;

class Find : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path catalog = newCatalog(dir);
    ScriptedPlatform p;

    void store(const std::string& title, const Lines& names) {
        Catalog c(catalog);
        RegistrationStore rows(c);
        for (const auto& name : names) {
            rows.storeFileRow(
                {"e:\\" + title + "\\" + name, title, name, "", "1,024", "2026-12-07"});
        }
    }
    std::optional<HitTable> find(const std::string& key, const std::string& title = "ALL") {
        return FindFiles(p.dialogs, catalog, nullptr, key, title);
    }
    // The lines the copy window shows for the hits.
    Lines lines(const std::string& key, const std::string& title = "ALL") {
        const auto hits = find(key, title);
        Lines out;
        for (const Hit& hit : hits.value()) {
            out.push_back(HitLine(hit));
        }
        return out;
    }
};

TEST_F(Find, AllTitlesGiveEveryHitWithItsColumnsInEngineOrder) {
    store("A", {"one.txt", "two.doc"});
    store("B", {"three.TXT"});
    const auto hits = find("*.txt");
    ASSERT_TRUE(hits);
    ASSERT_EQ(hits->size(), 2u);
    EXPECT_EQ(HitLine(hits->at(0)), "[A]one.txt");
    EXPECT_EQ(hits->at(1).path, "e:\\B\\three.TXT");
    EXPECT_EQ(hits->at(1).name, "three.TXT");
    EXPECT_EQ(hits->at(1).title, "B");
    EXPECT_EQ(hits->at(1).size, "1,024");
    EXPECT_EQ(hits->at(1).row, 3);
    EXPECT_EQ(Japanese({MessageId::HitsFound, {Count(static_cast<std::int64_t>(hits->size()))}}),
              "Orbisk [FileCopy]     2件が見つかりました。");
    EXPECT_TRUE(p.transcript.lines.empty());
}

TEST_F(Find, NamesFromOldJapaneseDiscsAreShownReadAndKeptAsBytes) {
    const std::string sjis = "\x83\x65\x83\x58\x83\x67.txt";
    store("写真", {sjis});
    const auto hits = find("*.txt");
    EXPECT_EQ(HitLine(hits->at(0)), "[写真]テスト.txt");
    EXPECT_EQ(hits->at(0).name, sjis);
}

TEST_F(Find, OnlyExactlyAllMeansEveryTitle) {
    store("A", {"a.txt"});
    store("all", {"b.txt"});
    EXPECT_EQ(lines("*", "A"), (Lines{"[A]a.txt"}));
    EXPECT_EQ(lines("*", "all"), (Lines{"[all]b.txt"}));
    EXPECT_EQ(lines("*", "All"), (Lines{"[all]b.txt"})) << "a disc title in any letter case";
    EXPECT_TRUE(lines("*", "ALl ").empty());
    EXPECT_TRUE(lines("*", "").empty());
}

TEST_F(Find, KeyWithoutWildcardsFindsWholeNamesInAnyCase) {
    store("A", {"README", "readme.txt", "old README"});
    EXPECT_EQ(lines("readme"), (Lines{"[A]README"}));
}

TEST_F(Find, EmptyKeyFindsNothingButIsNoFailure) {
    store("A", {"a.txt"});
    const auto hits = find("");
    ASSERT_TRUE(hits);
    EXPECT_TRUE(hits->empty());
    EXPECT_EQ(Japanese({MessageId::HitsFound, {Count(0)}}),
              "Orbisk [FileCopy]     0件が見つかりました。");
}

TEST_F(Find, DiscRegisteredTwiceGivesEveryFileTwice) {
    store("A", {"a.txt"});
    store("A", {"a.txt"});
    EXPECT_EQ(lines("*.txt", "A"), (Lines{"[A]a.txt", "[A]a.txt"}));
}

TEST_F(Find, ApostrophesAreOrdinaryCharacters) {
    store("Bob's", {"it's me.txt", "its.txt"});
    EXPECT_EQ(lines("it's*", "Bob's"), (Lines{"[Bob's]it's me.txt"}));
    EXPECT_TRUE(p.transcript.only("message").empty());
}

TEST_F(Find, At99999HitsAllAreGivenAndOneMoreIsTooMany) {
    execute(catalog,
            "With Recursive n(i) As (Select 1 Union All Select i + 1 From n Where i < 99999) "
            "Insert Into MediaTable Select 'e:\\' || i, 'A', i || '.txt', 'txt', '0', '2026-12-07' "
            "From n");
    const auto all = find("*.txt");
    ASSERT_TRUE(all);
    EXPECT_EQ(all->size(), 99999u);
    EXPECT_EQ(HitLine(all->back()), "[A]99999.txt");

    store("A", {"one more.txt"});
    EXPECT_FALSE(find("*.txt"));
    EXPECT_EQ(
        p.transcript.only("message"),
        (Lines{
            "message 検索結果のファイル数が多すぎます。: "
            "該当するファイルが多すぎます。Keyの単語を変えるか、対象のTitleを変更して下さい。"}));
    EXPECT_EQ(SearchCatalog(catalog, nullptr, "*.txt", "ALL").end, Search::End::TooMany);
}

// Names as a Japanese user writes them are found however they are written, by a scan and
// through the name index alike.
TEST_F(Find, WidthKanaAndComposedFormsAreFoundWithAndWithoutTheIndex) {
    store("ﾃｽﾄ", {"ﾊﾝｶｸ.txt", "ＡＢＣ全角.txt", "テスト資料.txt", "カ\u3099イト\u3099.pdf",
                  "No１２３.txt", "other.txt"});
    store("写真", {"がいど.txt"});
    LinuxFileSystem files;
    NameIndex index(dir / "cache/index", catalog, files);
    index.update();
    const auto names = [&](const std::string& key, const std::string& title, bool indexed) {
        const Search search = SearchCatalog(catalog, indexed ? &index : nullptr, key, title);
        Lines out;
        for (const Hit& hit : search.hits) {
            out.push_back(hit.name);
        }
        return out;
    };
    for (const bool indexed : {false, true}) {
        EXPECT_EQ(names("*ハンカク*", "ALL", indexed), (Lines{"ﾊﾝｶｸ.txt"}));
        EXPECT_EQ(names("*abc*", "ALL", indexed), (Lines{"ＡＢＣ全角.txt"}));
        EXPECT_EQ(names("*123*", "ALL", indexed), (Lines{"No１２３.txt"}));
        EXPECT_EQ(names("*てすと*", "ALL", indexed), (Lines{"テスト資料.txt"}));
        EXPECT_EQ(names("*ガイド*", "ALL", indexed),
                  (Lines{"カ\u3099イト\u3099.pdf", "がいど.txt"}));
        EXPECT_EQ(names("*ガイド*", "テスト", indexed), (Lines{"カ\u3099イト\u3099.pdf"}))
            << "the title condition folds the same way";
        EXPECT_EQ(names("[ﾊﾃ]*", "てすと", indexed), (Lines{"ﾊﾝｶｸ.txt", "テスト資料.txt"}));
        EXPECT_EQ(names("No###.txt", "ALL", indexed), (Lines{"No１２３.txt"}));
    }
}

TEST_F(Find, UnreadableCatalogueHasItsOwnMessage) {
    store("A", {"a.txt"});
    std::filesystem::remove(catalog);
    EXPECT_FALSE(find("*"));
    const auto messages = p.transcript.only("message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "message ファイルの検索: カタログを開けませんでした。\n" +
                               catalog.string() + "\nファイルがありません。");
}

} // namespace
} // namespace orbisk
