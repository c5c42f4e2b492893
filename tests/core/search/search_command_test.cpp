#include "catalog/catalog.h"
#include "search/search_command.h"
#include "support/catalog_rows.h"
#include "support/recording_views.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

using namespace testing;

class Search : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path catalog = newCatalog(dir);
    ScriptedPlatform p;
    TypedSearch inputs;
    RecordingHitList window{p.transcript};
    HitTable hits;

    void store(const std::string& title, const Lines& names) {
        Catalog c(catalog);
        for (const auto& name : names) {
            c.storeFileRow({"e:\\" + title + "\\" + name, title, name, "", "0", "2026-12-07"});
        }
    }
    void search(const std::string& key, const std::string& title = "ALL") {
        inputs.keyText = key;
        inputs.title = title;
        SearchCommand(p.platform(), catalog, nullptr, inputs, window, hits).run();
    }
};

TEST_F(Search, AllTitlesFillTheHitTableListAndCaptionInEngineOrder) {
    store("A", {"one.txt", "two.doc"});
    store("B", {"three.TXT"});
    search("*.txt");
    EXPECT_EQ(window.lines, (Lines{"[A]one.txt", "[B]three.TXT"}));
    EXPECT_EQ(window.caption, "Orbisk [FileCopy]     2件が見つかりました。");
    EXPECT_EQ(window.shown, 1);
    EXPECT_EQ(hits.size(), 2u);
    EXPECT_EQ(hits.at(1).path, "e:\\B\\three.TXT");
    EXPECT_EQ(hits.at(1).name, "three.TXT");
    EXPECT_EQ(hits.at(1).title, "B");
}

TEST_F(Search, NamesFromOldJapaneseDiscsAreShownReadAndKeptAsBytes) {
    const std::string sjis = "\x83\x65\x83\x58\x83\x67.txt";
    store("写真", {sjis});
    search("*.txt");
    EXPECT_EQ(window.lines, (Lines{"[写真]テスト.txt"}));
    EXPECT_EQ(hits.at(0).name, sjis);
}

TEST_F(Search, OnlyExactlyAllMeansEveryTitle) {
    store("A", {"a.txt"});
    store("all", {"b.txt"});
    search("*", "A");
    EXPECT_EQ(window.lines, (Lines{"[A]a.txt"}));
    search("*", "all");
    EXPECT_EQ(window.lines, (Lines{"[all]b.txt"}));
    search("*", "All");
    EXPECT_EQ(window.lines, (Lines{"[all]b.txt"})) << "a disc title in any letter case";
    search("*", "ALl ");
    EXPECT_TRUE(window.lines.empty());
    search("*", "");
    EXPECT_TRUE(window.lines.empty());
    EXPECT_EQ(window.shown, 5) << "no hits still show the window";
}

TEST_F(Search, KeyWithoutWildcardsFindsWholeNamesInAnyCase) {
    store("A", {"README", "readme.txt", "old README"});
    search("readme");
    EXPECT_EQ(window.lines, (Lines{"[A]README"}));
}

TEST_F(Search, EmptyKeyFindsNothingAndStillShowsTheWindow) {
    store("A", {"a.txt"});
    search("");
    EXPECT_TRUE(window.lines.empty());
    EXPECT_EQ(window.caption, "Orbisk [FileCopy]     0件が見つかりました。");
    EXPECT_EQ(window.shown, 1);
}

TEST_F(Search, DiscRegisteredTwiceGivesEveryFileTwice) {
    store("A", {"a.txt"});
    store("A", {"a.txt"});
    search("*.txt", "A");
    EXPECT_EQ(window.lines, (Lines{"[A]a.txt", "[A]a.txt"}));
}

TEST_F(Search, SecondSearchReplacesTheFirstsLines) {
    store("A", {"a.txt", "b.doc"});
    search("*.txt");
    search("*.doc");
    EXPECT_EQ(window.lines, (Lines{"[A]b.doc"}));
    EXPECT_EQ(hits.size(), 1u);
}

TEST_F(Search, ApostrophesAreOrdinaryCharacters) {
    store("Bob's", {"it's me.txt", "its.txt"});
    search("it's*", "Bob's");
    EXPECT_EQ(window.lines, (Lines{"[Bob's]it's me.txt"}));
    EXPECT_TRUE(p.transcript.only("message").empty());
}

TEST_F(Search, At99999HitsAllAreListedAndOneMoreIsTooMany) {
    execute(catalog,
            "With Recursive n(i) As (Select 1 Union All Select i + 1 From n Where i < 99999) "
            "Insert Into MediaTable Select 'e:\\' || i, 'A', i || '.txt', 'txt', '0', '2026-12-07' "
            "From n");
    search("*.txt");
    EXPECT_EQ(window.lines.size(), 99999u);
    EXPECT_EQ(window.lines.back(), "[A]99999.txt");
    EXPECT_EQ(hits.size(), 99999u);

    store("A", {"one more.txt"});
    search("*.txt");
    EXPECT_EQ(
        p.transcript.only("message"),
        (Lines{
            "message 検索結果のファイル数が多すぎます。: "
            "該当するファイルが多すぎます。Keyの単語を変えるか、対象のTitleを変更して下さい。"}));
    EXPECT_EQ(window.shown, 1) << "no window after too many hits";
    EXPECT_EQ(hits.size(), 99999u);
    EXPECT_EQ(hits.at(0).name, "1.txt") << "the last complete search stays whole";
}

TEST_F(Search, UnreadableCatalogueHasItsOwnMessage) {
    store("A", {"a.txt"});
    search("*");
    std::filesystem::remove(catalog);
    search("*");
    const auto messages = p.transcript.only("message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("message ファイルの検索: カタログを開けませんでした。\n" +
                                    catalog.string() + "\n",
                                0),
              0u);
    EXPECT_EQ(window.shown, 1);
    EXPECT_EQ(hits.size(), 1u);
}

} // namespace
} // namespace orbisk
