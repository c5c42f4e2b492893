#include "copy_log_text.h"
#include "support/japanese_text.h"
#include "words.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

using testing::HasJapanese;

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
                EXPECT_FALSE(HasJapanese(english)) << n << ": " << english;
                EXPECT_TRUE(HasJapanese(Japanese(message))) << n << ": " << Japanese(message);
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

// A reason inside a statement is worded in the statement's language, however deep.
TEST(Words, NestedReasonsAreWordedInTheLanguageAroundThem) {
    const Message cd{MessageId::CdTracksUnreadable, {Nested({{MessageId::CdNoTracks, {}}})}};
    const Message unreadable{MessageId::ImageUnreadable, {Nested({cd})}};
    EXPECT_EQ(Japanese({MessageId::ImageUnreadable, {Nested({Verbatim("Input/output error")})}}),
              "ディスクイメージを読めません。（Input/output error）");
    const std::string english = English(unreadable);
    EXPECT_FALSE(HasJapanese(english)) << english;
    EXPECT_NE(english.find("It has no tracks."), std::string::npos) << english;
    EXPECT_NE(Japanese(unreadable).find("（トラックがありません。）"), std::string::npos);
    EXPECT_EQ(Japanese({MessageId::Reason, {Nested({{MessageId::FolderNotInImage, {}}})}}),
              "理由: イメージの中にこのフォルダがありません。");
    EXPECT_EQ(English({MessageId::Reason, {std::string("Permission denied")}}),
              "Reason: Permission denied");
    EXPECT_EQ(unreadable, (Message{MessageId::ImageUnreadable, {Nested({cd})}}))
        << "messages compare by what they say, not where they are kept";
    EXPECT_NE(unreadable, (Message{MessageId::ImageUnreadable, {Nested({})}}));
}

// The copy log is a format of its own: Japanese reasons whatever the front end speaks,
// two CR LF-ended lines per file, a reason on one line.
TEST(Words, TheCopyLogKeepsItsFormat) {
    const CopyLog log{
        {"e:\\a.txt", CopyLogEntry::Outcome::Copied, {}},
        {"e:\\b.txt", CopyLogEntry::Outcome::NotFound, {}},
        {"e:\\c.txt",
         CopyLogEntry::Outcome::Failed,
         {{MessageId::FileDiffersFromRegistration, {"1,024", "2,048", "", ""}}}},
        {"e:\\d.txt", CopyLogEntry::Outcome::Failed, {Verbatim("one\r\n\ntwo")}},
        {"e:\\e.txt", CopyLogEntry::Outcome::Failed, {{MessageId::CopyStopped, {}}}},
    };
    EXPECT_EQ(CopyLogText(log),
              "e:\\a.txt\r\n***Copy Normal End\r\n"
              "e:\\b.txt\r\n***File Not Found\r\n"
              "e:\\c.txt\r\n***Copy Error: ディスクのファイルが登録したときと違います。"
              "大きさ: 登録時 1,024バイト、ディスク 2,048バイト。\r\n"
              "e:\\d.txt\r\n***Copy Error: one two\r\n"
              "e:\\e.txt\r\n***Copy Error: コピーを中止しました。\r\n");
    EXPECT_EQ(CopyLogText({}), "");
}

TEST(Words, AnEmptyDriveSaysSoInEachLanguage) {
    const DriveEntry empty{"/media/cdrom0", "/media/cdrom0", DriveKind::Optical, "sr0"};
    EXPECT_EQ(DriveText(empty, Language::Japanese), "/media/cdrom0 (sr0: ディスクなし)");
    EXPECT_EQ(DriveText(empty, Language::English), "/media/cdrom0 (sr0: no disc)");
    const DriveEntry full{"/media/cdrom0", "/media/cdrom0 (sr0)", DriveKind::Optical};
    EXPECT_EQ(DriveText(full, Language::English), "/media/cdrom0 (sr0)");
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
