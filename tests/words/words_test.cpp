#include "words.h"

#include <gtest/gtest.h>
#include <regex>

namespace orbisk {
namespace {

bool hasJapanese(const std::string& text) {
    static const std::regex japanese("\xE3[\x80-\x83][\x80-\xBF]|[\xE4-\xE9][\x80-\xBF]{2}|"
                                     "\xEF\xBC[\x81-\xBF]");
    return std::regex_search(text, japanese);
}

// Every id with a text and a count wherever it quotes one: each is worded in both
// languages, and the English never falls back on the Japanese.
TEST(Words, EveryMessageIsWordedInBothLanguages) {
    for (int n = 0; n <= static_cast<int>(LastMessageId); ++n) {
        const auto id = static_cast<MessageId>(n);
        if (id == MessageId::Verbatim || id == MessageId::ProgramName) {
            continue; // said as they are in both
        }
        for (const std::int64_t count : {1, 2}) {
            for (const Message& message : {Message{id, {Count(count), Count(count)}},
                                           Message{id, {std::string("Q"), Count(count)}}}) {
                const std::string english = English(message);
                EXPECT_FALSE(english.empty()) << n;
                EXPECT_FALSE(hasJapanese(english)) << n << ": " << english;
                EXPECT_TRUE(hasJapanese(Japanese(message))) << n << ": " << Japanese(message);
            }
        }
    }
}

TEST(Words, CountsAgreeInEnglishAndStandAsTheyAreInJapanese) {
    EXPECT_EQ(English({MessageId::ArchivesRegistered, {Count(1), Count(1)}}),
              "1 file packed in 1 archive was registered too.");
    EXPECT_EQ(English({MessageId::ArchivesRegistered, {Count(2), Count(12345)}}),
              "12345 files packed in 2 archives were registered too.");
    EXPECT_EQ(Japanese({MessageId::ArchivesRegistered, {Count(2), Count(12345)}}),
              "書庫2個の中のファイル12345個も登録しました。");
    EXPECT_EQ(English({MessageId::SkippedFolders, {Count(1)}}),
              "1 folder could not be read; the files in it were not registered.");
}

TEST(Words, LinesJoinAndValuesFillInOrder) {
    const MessageLines lines{{MessageId::CatalogNotOpened, {}},
                             Verbatim("/tmp/x.mdb"),
                             {MessageId::CatalogBusy, {std::string("database is locked")}}};
    EXPECT_EQ(Worded(lines, Language::English),
              "The catalogue could not be opened.\n/tmp/x.mdb\nAnother program is using the "
              "catalogue. Try again in a moment. (database is locked)");
    EXPECT_EQ(Worded(lines, Language::Japanese),
              "カタログを開けませんでした。\n/tmp/x.mdb\nカタログはほかのプログラムが使用中です。"
              "しばらくしてからやり直して下さい。(database is locked)");
    EXPECT_EQ(Filled("'{}' takes no option '{}'.", {"find", "--x"}),
              "'find' takes no option '--x'.");
    EXPECT_EQ(Filled("{} and {}", {"one"}), "one and {}") << "a missing value leaves its hole";
    EXPECT_EQ(Filled("{}", {"{}{}"}), "{}{}") << "a value is never filled in again";
}

TEST(Words, TheLocaleChoosesTheLanguageAsTheCLibraryReadsIt) {
    const auto with = [](const char* all, const char* messages, const char* lang) {
        const auto set = [](const char* name, const char* value) {
            value != nullptr ? setenv(name, value, 1) : unsetenv(name);
        };
        set("LC_ALL", all);
        set("LC_MESSAGES", messages);
        set("LANG", lang);
        return LocaleLanguage();
    };
    EXPECT_EQ(with(nullptr, nullptr, "ja_JP.UTF-8"), Language::Japanese);
    EXPECT_EQ(with("C", nullptr, "ja_JP.UTF-8"), Language::English);
    EXPECT_EQ(with("", "ja_JP.UTF-8", "C"), Language::Japanese) << "an empty one is unset";
    EXPECT_EQ(with(nullptr, nullptr, nullptr), Language::English);
    with(nullptr, nullptr, "C.UTF-8");
}

} // namespace
} // namespace orbisk
