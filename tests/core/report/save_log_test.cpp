#include "linux_file_system.h"
#include "report/save_log.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

using namespace testing;

const std::string TwoEntries =
    "e:\\a.txt\r\n***Copy Normal End\r\ne:\\写真\\b.txt\r\n***File Not Found\r\n";

class SaveLogTest : public ::testing::Test {
protected:
    TempDir dir;
    ScriptedPlatform p;
    LinuxFileSystem files;
    Transcript& transcript = p.transcript;
    ScriptedDialogs& dialogs = p.dialogs;

    void run() { SaveLog({files, p.tray, p.dialogs, p.clock, p.numbers}, TwoEntries); }

    void save(const std::string& name) {
        dialogs.saveNames = {name};
        run();
    }
};

TEST_F(SaveLogTest, LogAndOneMoreLineEndAreWritten) {
    save(dir.str() + "/log.txt");
    EXPECT_EQ(dir.read("log.txt"), TwoEntries + "\r\n");
    EXPECT_EQ(transcript.lines, (Lines{"save dialog テキストファイル(*.txt)|*.txt",
                                       "message ログの保存: 保存しました。"}));
}

TEST_F(SaveLogTest, CancelWritesNothing) {
    dialogs.saveNames = {};
    run();
    EXPECT_EQ(transcript.only("message"),
              (Lines{"message ログの保存: ファイル名を指定してください。"}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 0);
}

TEST_F(SaveLogTest, ExistingFileIsReplacedAndNamesAreTakenAsTyped) {
    dir.write("log", "an older and much longer log that must disappear entirely");
    save(dir.str() + "/log");
    EXPECT_EQ(dir.read("log"), TwoEntries + "\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir / "log.txt"));
    save(dir.str() + "/記録 2026.txt");
    EXPECT_EQ(dir.read("記録 2026.txt"), dir.read("log"));
}

TEST_F(SaveLogTest, UnwritableTargetIsReportedAndLosesNothing) {
    dir.write("keep.txt", "keep");
    std::filesystem::create_directory(dir / "folder");
    save(dir.str() + "/folder");
    save(dir.str() + "/no such folder/log.txt");
    EXPECT_EQ(transcript.only("message").size(), 2u);
    for (const auto& message : transcript.only("message")) {
        EXPECT_EQ(message.rfind("message ログの保存: ログを保存できませんでした。\n", 0), 0u)
            << message;
    }
    EXPECT_EQ(dir.read("keep.txt"), "keep");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

} // namespace
} // namespace orbisk
