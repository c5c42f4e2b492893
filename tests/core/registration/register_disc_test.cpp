#include "catalog/catalog.h"
#include "catalog/row_writer.h"
#include "media/folder_walk.h"
#include "registration/register_disc.h"
#include "support/catalog_rows.h"
#include "support/recording_views.h"
#include "support/scripted_platform.h"
#include "support/small_disk.h"
#include "support/temp_dir.h"

#include <csignal>
#include <gtest/gtest.h>
#include <map>
#include <stop_token>
#include <sys/wait.h>
#include <unistd.h>

namespace orbisk {
namespace {

using namespace testing;

class RegisterDiscTest : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path catalog = newCatalog(dir);
    ScriptedPlatform p;
    RecordingRegisterSink sink{p.transcript};
    std::string drive = "e:";
    std::string title = "DISC";
    Registration result = Registration::Failed;

    void SetUp() override { p.files.addDrive("e:"); }
    void run() { result = RegisterDisc(p.platform(), catalog, drive, title, sink); }
    std::size_t fileRows() { return tableRows(catalog, "MediaTable").size(); }
    std::size_t titleRows() { return tableRows(catalog, "MediaName").size(); }
};

TEST_F(RegisterDiscTest, EmptyTitleIsRefusedAfterTheTrayIsClosed) {
    title = "";
    p.files.addFile("e:\\a.txt");
    run();
    EXPECT_EQ(p.transcript.lines,
              (Lines{"tray set cdaudio door Closed",
                     "message タイトル未入力: メディアのタイトルを入力して下さい。"}));
    EXPECT_EQ(fileRows(), 0u);
    EXPECT_EQ(result, Registration::Refused);
}

TEST_F(RegisterDiscTest, AllBlankAndControlCharacterTitlesCannotNameADisc) {
    p.files.addFile("e:\\a.txt");
    for (const std::string refused :
         {"ALL", " ", "  \t ", "\u3000", "A\nB", "A\tB", "A\x1b[2JB", "A\u009bB", "A\x7f"}) {
        p.transcript.lines.clear();
        title = refused;
        run();
        EXPECT_EQ(result, Registration::Refused) << refused;
        ASSERT_EQ(p.transcript.only("message").size(), 1u);
        EXPECT_EQ(p.transcript.only("message")[0].rfind("message タイトルの誤り: ", 0), 0u);
    }
    for (const std::string accepted : {"all", " A ", "ALL 2"}) {
        title = accepted;
        run();
        EXPECT_EQ(result, Registration::Registered) << accepted;
    }
    EXPECT_EQ(tableRows(catalog, "MediaName"), (std::vector<Lines>{{"all"}, {" A "}, {"ALL 2"}}));
}

TEST_F(RegisterDiscTest, UnreadyDriveIsRefusedWithTheTitleInTheMessage) {
    title = "  spaces  ";
    p.files.setReady("e:", false);
    run();
    EXPECT_EQ(p.transcript.lines,
              (Lines{"tray set cdaudio door Closed", "ready? e:",
                     "message データベースの構築:   spaces  のメディアの準備が出来ていません。"}));
}

TEST_F(RegisterDiscTest, EmptyDiscWritesNothingAndSaysNothing) {
    p.files.addFolder("e:\\EMPTY");
    run();
    EXPECT_EQ(p.transcript.lines, concat({{"tray set cdaudio door Closed", "ready? e:"},
                                          Lines{"busy"},
                                          {"caption Orbisk[0%]解析中..."},
                                          Lines{"not busy"},
                                          {"caption Orbisk"}}));
    EXPECT_EQ(fileRows(), 0u);
    EXPECT_EQ(titleRows(), 0u);
}

TEST_F(RegisterDiscTest, ThreeFilesShowThePreviousPercentAtEachRefresh) {
    p.files.addFile("e:\\a.txt");
    p.files.addFile("e:\\b.txt");
    p.files.addFile("e:\\c.txt");
    run();
    EXPECT_EQ(p.transcript.lines,
              concat({{"tray set cdaudio door Closed", "ready? e:"},
                      Lines{"busy"},
                      {"caption Orbisk[0%]解析中...", "max 3", "value 0", "value 1", "label 0%",
                       "caption Orbisk[0%]構築中...", "value 2", "label 33%",
                       "caption Orbisk[33%]構築中...", "value 3", "label 67%",
                       "caption Orbisk[67%]構築中...", "caption Orbisk[99%]最適化中...",
                       "label 100%", "caption Orbisk[100%]完了"},
                      Lines{"not busy"},
                      {"refresh titles", "message データベースの構築: 完了しました。", "label 0%",
                       "caption Orbisk", "value 0", "tray set cdaudio door open"}}));
    EXPECT_EQ(fileRows(), 3u);
    EXPECT_EQ(titleRows(), 1u);
}

TEST_F(RegisterDiscTest, OneFileShowsZeroPercentDuringTheRun) {
    p.files.addFile("e:\\only.txt");
    run();
    EXPECT_EQ(p.transcript.only("max"), (Lines{"max 1"}));
    EXPECT_EQ(p.transcript.only("label"), (Lines{"label 0%", "label 100%", "label 0%"}));
    EXPECT_EQ(fileRows(), 1u);
}

TEST_F(RegisterDiscTest, EveryFileGetsItsRowWithEveryColumn) {
    title = " Disc's 写真 ";
    p.files.addFile("e:\\EMPTY.BIN", 0);
    p.files.addFile("e:\\NODOT", 511);
    p.files.addFile("e:\\HALF.", 512, Hidden);
    p.files.addFile("e:\\SUB\\A.TAR.GZ", 1536, ReadOnly | System);
    p.files.addFile("e:\\SUB\\.CFG", 2000);
    p.files.addFile("e:\\SUB\\写真.JPG", 1048576);
    run();
    const auto rows = tableRows(catalog, "MediaTable");
    const std::string t = " Disc's 写真 ";
    const std::string d = "2026-12-07";
    EXPECT_EQ(rows, (std::vector<Lines>{{"e:\\EMPTY.BIN", t, "EMPTY.BIN", "BIN", "0", d},
                                        {"e:\\NODOT", t, "NODOT", "NODOT", "0", d},
                                        {"e:\\HALF.", t, "HALF.", "", "1", d},
                                        {"e:\\SUB\\A.TAR.GZ", t, "A.TAR.GZ", "GZ", "2", d},
                                        {"e:\\SUB\\.CFG", t, ".CFG", "CFG", "2", d},
                                        {"e:\\SUB\\写真.JPG", t, "写真.JPG", "JPG", "1,024", d}}));
    EXPECT_EQ(tableRows(catalog, "MediaName"), (std::vector<Lines>{{t}}));
}

TEST_F(RegisterDiscTest, SameTitleTwiceAppendsEverythingAgain) {
    p.files.addFile("e:\\a.txt");
    run();
    run();
    EXPECT_EQ(fileRows(), 2u);
    EXPECT_EQ(titleRows(), 2u);
}

TEST_F(RegisterDiscTest, MoreThan32767FilesAreAllRegistered) {
    for (int i = 0; i < 40000; ++i) {
        p.files.addFile("e:\\F" + std::to_string(i / 1000) + "\\" + std::to_string(i));
    }
    run();
    EXPECT_EQ(fileRows(), 40000u);
    EXPECT_EQ(p.transcript.only("message"), (Lines{"message データベースの構築: 完了しました。"}));
    EXPECT_LE(p.transcript.only("caption").size(), 100u + 4u) << "one refresh per whole percent";
}

TEST_F(RegisterDiscTest, OverflowingDiscRegistersTheFirst100000Files) {
    for (int i = 0; i <= PathSlots; ++i) {
        p.files.addFile("e:\\F\\" + std::to_string(i));
    }
    run();
    EXPECT_EQ(p.transcript.only("message"), (Lines{"message : ファイル名バッファオーバー",
                                                   "message データベースの構築: 完了しました。"}));
    EXPECT_EQ(fileRows(), static_cast<std::size_t>(PathSlots));
    EXPECT_EQ(titleRows(), 1u);
}

TEST_F(RegisterDiscTest, UnreadableFoldersArePassedOverAndNamedAtTheEnd) {
    p.files.addFile("e:\\a.txt");
    p.files.addFile("e:\\LOCKED\\b.txt");
    p.files.addFile("e:\\OTHER\\LOCKED TOO\\c.txt");
    p.files.addFile("e:\\LATER\\d.txt");
    p.files.failListing("e:\\LOCKED\\");
    p.files.failListing("e:\\OTHER\\LOCKED TOO\\");
    run();
    EXPECT_EQ(p.transcript.only("message"),
              (Lines{"message データベースの構築: 完了しました。\n"
                     "読み込めなかったフォルダが2個あり、その中のファイルは登録されていません。\n"
                     "最初のフォルダ: e:\\LOCKED\\"}));
    EXPECT_EQ(fileRows(), 2u);
    EXPECT_EQ(titleRows(), 1u);
}

TEST_F(RegisterDiscTest, DiscWhoseFilesAllSitInUnreadableFoldersSaysSo) {
    p.files.addFile("e:\\LOCKED\\b.txt");
    p.files.failListing("e:\\LOCKED\\");
    run();
    EXPECT_EQ(p.transcript.only("message"),
              (Lines{"message データベースの構築: 登録できるファイルがありませんでした。\n"
                     "読み込めなかったフォルダが1個あり、その中のファイルは登録されていません。\n"
                     "最初のフォルダ: e:\\LOCKED\\"}));
    EXPECT_EQ(p.transcript.count("not busy"), 1u);
    EXPECT_EQ(fileRows(), 0u);
    EXPECT_EQ(titleRows(), 0u);
    EXPECT_EQ(p.transcript.count("tray set cdaudio door open"), 0u);
}

TEST_F(RegisterDiscTest, RowsBecomePartOfTheCatalogueTogetherUnderTheOptimisingCaption) {
    p.files.addFile("e:\\a.txt");
    p.files.addFile("e:\\b.txt");
    std::map<std::string, std::size_t> seen;
    sink.onCaption = [&](const std::string& caption) { seen[caption] = fileRows() + titleRows(); };
    run();
    EXPECT_EQ(seen["Orbisk[99%]最適化中..."], 0u) << "nothing is committed before the caption";
    EXPECT_EQ(seen["Orbisk[100%]完了"], 3u);
}

TEST_F(RegisterDiscTest, FailureInTheMiddleLeavesTheCatalogueAsItWasAndGivesTheWindowBack) {
    storeTitle(catalog, "EARLIER");
    p.files.addFile("e:\\a.txt");
    p.files.addFile("e:\\b.txt");
    p.files.addFile("e:\\SUB\\c.txt");
    // The root's files are listed (after the look at the disc); before the walk reaches
    // SUB, one of them disappears.
    p.files.onList = [&](int listing) {
        if (listing == 3) {
            p.files.remove("e:\\b.txt");
        }
    };
    run();
    const auto messages = p.transcript.only("message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("message データベースの構築: データベースの構築中にエラーが"
                                "発生しました。このディスクは登録されていません。\n",
                                0),
              0u)
        << messages[0];
    EXPECT_EQ(fileRows(), 0u);
    EXPECT_EQ(tableRows(catalog, "MediaName"), (std::vector<Lines>{{"EARLIER"}}));
    const Lines tail(p.transcript.lines.end() - 5, p.transcript.lines.end() - 1);
    EXPECT_EQ(tail, concat({Lines{"not busy"}, {"caption Orbisk", "label 0%", "value 0"}}));
    EXPECT_EQ(p.transcript.count("tray set cdaudio door open"), 0u);

    // A second attempt stores what the disc now holds, not on top of leftovers.
    p.files.onList = nullptr;
    run();
    EXPECT_EQ(fileRows(), 2u);
}

TEST_F(RegisterDiscTest, AStopLeavesTheCatalogueAsItWasAndSaysNothing) {
    storeTitle(catalog, "EARLIER");
    for (int i = 0; i < 50; ++i) {
        p.files.addFile("e:\\F" + std::to_string(i % 2) + "\\" + std::to_string(i));
    }
    const auto stopAt = [this](const std::function<bool(const std::string&)>& when) {
        std::stop_source stop;
        p.transcript.lines.clear();
        p.transcript.onAdd = [&](const std::string& line) {
            if (when(line)) {
                stop.request_stop();
            }
        };
        result = RegisterDisc(p.platform(), catalog, drive, title, sink, stop.get_token());
        p.transcript.onAdd = nullptr;
        const Lines tail(p.transcript.lines.end() - 4, p.transcript.lines.end());
        EXPECT_EQ(tail, concat({Lines{"not busy"}, {"caption Orbisk", "label 0%", "value 0"}}));
    };
    // Half-way through the storing, and while the walk is between two folders.
    stopAt([](const std::string& line) { return line == "value 10"; });
    EXPECT_EQ(result, Registration::Stopped);
    p.files.listings = 0;
    p.files.onList = [&](int listing) {
        if (listing == 3) { // the look at the disc, its root, then F0
            p.transcript.add("second folder");
        }
    };
    stopAt([](const std::string& line) { return line == "second folder"; });
    EXPECT_EQ(result, Registration::Stopped);
    EXPECT_EQ(p.transcript.only("max"), Lines{}) << "nothing stored after the walk";
    EXPECT_EQ(fileRows(), 0u);
    EXPECT_EQ(tableRows(catalog, "MediaName"), (std::vector<Lines>{{"EARLIER"}}));
    EXPECT_EQ(p.transcript.only("message"), Lines{});
    EXPECT_EQ(p.transcript.count("tray set cdaudio door open"), 0u);
}

TEST_F(RegisterDiscTest, KilledHalfWayLeavesTheCatalogueAsItWas) {
    storeTitle(catalog, "EARLIER");
    for (int i = 0; i < 500; ++i) {
        p.files.addFile("e:\\F\\" + std::to_string(i));
    }
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Killed at the tenth refresh, with about 50 rows stored.
        p.transcript.onAdd = [](const std::string& line) {
            if (line == "caption Orbisk[9%]構築中...") {
                raise(SIGKILL);
            }
        };
        run();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(fileRows(), 0u);
    EXPECT_EQ(tableRows(catalog, "MediaName"), (std::vector<Lines>{{"EARLIER"}}));
    EXPECT_NO_THROW(Catalog(catalog, Catalog::Access::Write).checkIntact());
}

TEST_F(RegisterDiscTest, CatalogueThatCannotTakeTheDiscIsRefusedBeforeTheWalk) {
    p.files.addFile("e:\\a.txt");
    const auto refusedWith = [&](const std::string& reason) {
        p.transcript.lines.clear();
        run();
        const auto messages = p.transcript.only("message");
        return messages.size() == 1 &&
               messages[0].rfind("message データベースの構築: カタログに登録できません。\n" +
                                     catalog.string() + "\n",
                                 0) == 0 &&
               messages[0].find(reason) != std::string::npos && p.transcript.only("busy").empty() &&
               p.files.listings == 0;
    };
    std::filesystem::rename(catalog, dir / "elsewhere.mdb");
    EXPECT_TRUE(refusedWith("ファイルがありません。"));
    std::filesystem::rename(dir / "elsewhere.mdb", catalog);
    EXPECT_FALSE(std::filesystem::exists(dir / "elsewhere.mdb"));

    // Bytes of a table page flipped: the engine may not notice on a write, the check does.
    storeTitle(catalog, "A");
    std::vector<FileRow> rows;
    for (int i = 0; i < 2000; ++i) {
        rows.push_back({"e:\\" + std::to_string(i), "A", std::to_string(i), "", "0", ""});
    }
    storeFiles(catalog, rows);
    execute(catalog, "PRAGMA wal_checkpoint(TRUNCATE)");
    damagePage(catalog, 40);
    EXPECT_TRUE(refusedWith("カタログが壊れています。"));
}

} // namespace
} // namespace orbisk

namespace orbisk {
namespace {

using namespace testing;

TEST(RegistrationOnAFullDisk, StopsWithTheReasonAndLeavesTheCatalogueAsItWas) {
    SmallDisk disk(256);
    if (!disk.mounted()) {
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    }
    const auto catalog = newCatalog(disk.dir());
    ScriptedPlatform p;
    RecordingRegisterSink sink{p.transcript};
    p.files.addDrive("e:");
    for (int i = 0; i < 20000; ++i) {
        p.files.addFile("e:\\" + std::string(100, 'F') + "\\" + std::to_string(i) + ".dat");
    }
    EXPECT_EQ(RegisterDisc(p.platform(), catalog, "e:", "DISC", sink), Registration::Failed);
    const auto messages = p.transcript.only("message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("このディスクは登録されていません。"), std::string::npos)
        << messages[0];
    EXPECT_NE(messages[0].find("ディスクがいっぱいです"), std::string::npos) << messages[0];
    EXPECT_TRUE(tableRows(catalog, "MediaTable").empty());
    EXPECT_TRUE(tableRows(catalog, "MediaName").empty());
    EXPECT_EQ(p.transcript.count("not busy"), 1u);
}

} // namespace
} // namespace orbisk
