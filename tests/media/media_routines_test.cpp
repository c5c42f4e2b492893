#include "media/media_routines.h"
#include "media/path_cuts.h"
#include "support/scripted_platform.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

using namespace testing;

TEST(Tray, SendsTheTwoCommandStrings) {
    ScriptedPlatform p;
    OpenTray(p.tray);
    CloseTray(p.tray);
    EXPECT_EQ(p.transcript.lines, (std::vector<std::string>{"tray set cdaudio door open",
                                                            "tray set cdaudio door Closed"}));
}

TEST(FileStatus, PresentFilesOfAnyAttributesAreOkAndEverythingElseNg) {
    ScriptedPlatform p;
    p.files.addFile("e:\\PLAIN.TXT");
    p.files.addFile("e:\\ALL.SYS", 1, ReadOnly | Hidden | System | Archive);
    p.files.addFolder("e:\\FOLDER");
    EXPECT_EQ(FileStatus(p.files, "e:\\PLAIN.TXT"), "OK");
    EXPECT_EQ(FileStatus(p.files, "e:\\ALL.SYS"), "OK");
    EXPECT_EQ(FileStatus(p.files, "e:\\FOLDER"), "NG");
    EXPECT_EQ(FileStatus(p.files, "e:\\MISSING"), "NG");
}

TEST(IsDriveReady, AnswersFalseForEmptyAndUnknownDrives) {
    ScriptedPlatform p;
    p.files.addDrive("e:", false);
    EXPECT_FALSE(IsDriveReady(p.files, "e:"));
    p.files.setReady("e:", true);
    EXPECT_TRUE(IsDriveReady(p.files, "E:"));
    EXPECT_FALSE(IsDriveReady(p.files, "q:"));
    EXPECT_FALSE(IsDriveReady(p.files, ""));
}

TEST(PathCuts, NameAndExtensionAreTheTextAfterTheLastMark) {
    EXPECT_EQ(GetFileName("d:\\DATA\\A.TXT", '\\'), "A.TXT");
    EXPECT_EQ(GetFileName("d:\\DATA\\", '\\'), "");
    EXPECT_EQ(GetFileName("README", '\\'), "README");
    EXPECT_EQ(GetFileName("", '\\'), "");
    EXPECT_EQ(GetFileName("/media/cd/写真\\まとめ/アルバム.jpg", '/'), "アルバム.jpg");
    EXPECT_EQ(GetExtension("A.TAR.GZ"), "GZ");
    EXPECT_EQ(GetExtension("README"), "README");
    EXPECT_EQ(GetExtension("FILE."), "");
    EXPECT_EQ(GetExtension(".CFG"), "CFG");
    EXPECT_EQ(GetExtension("データ.テキスト"), "テキスト");
}

} // namespace
} // namespace orbisk
