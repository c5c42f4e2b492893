#include "media/folder_walk.h"
#include "platform/linux/linux_file_system.h"
#include "support/scripted_platform.h"
#include "support/small_disk.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orbisk {
namespace {

using namespace testing;

class LinuxPlatform : public ::testing::Test {
protected:
    TempDir dir;
    LinuxFileSystem files;
    Transcript transcript;
    ScriptedDialogs dialogs{transcript};
    CountingEventPump events{transcript};
    PathArray paths;

    bool walk() {
        return CollectFiles({files, events, dialogs}, files.walkPattern(dir.str()), true, paths);
    }

    std::vector<std::string> sortedPaths() const {
        auto out = paths.paths();
        std::sort(out.begin(), out.end());
        return out;
    }
};

TEST_F(LinuxPlatform, WalkListsPlainFilesOnlyDotFilesIncluded) {
    dir.write(".hidden", "x");
    dir.write("plain.txt", "x");
    dir.write("sub/inner.txt", "x");
    chmod((dir / "plain.txt").c_str(), 0);
    mkfifo((dir / "fifo").c_str(), 0600);
    symlink("/etc/passwd", (dir / "link to file").c_str());
    symlink(dir.str().c_str(), (dir / "sub/loop").c_str());
    EXPECT_TRUE(walk());
    const std::string root = dir.str() + "/";
    EXPECT_EQ(sortedPaths(), (std::vector<std::string>{root + ".hidden", root + "plain.txt",
                                                       root + "sub/inner.txt"}));
}

TEST_F(LinuxPlatform, NamesThatAreNotUtf8KeepTheirBytes) {
    const std::string name = "\x83\x65\x83\x58\x83\x67.txt";
    dir.write(name, "sjis");
    EXPECT_TRUE(walk());
    ASSERT_EQ(paths.count(), 1);
    EXPECT_EQ(paths.paths()[0], dir.str() + "/" + name);
    EXPECT_TRUE(files.isPresentFile(paths.paths()[0]));
    EXPECT_EQ(files.fileSize(paths.paths()[0]), 4u);
}

TEST_F(LinuxPlatform, FolderThatVanishesBeforeItsTurnEndsTheWalkWithFalse) {
    dir.write("a/one.txt", "x");
    dir.write("b/two.txt", "x");
    dir.write("c/three.txt", "x");
    // After the root is listed, its subfolders go before the walk reaches them.
    events.onPass = [&](int pass) {
        if (pass == 2) {
            for (const char* name : {"a", "b", "c"}) {
                std::filesystem::remove_all(dir / name);
            }
        }
    };
    EXPECT_FALSE(walk());
    EXPECT_EQ(paths.count(), 0);
    EXPECT_TRUE(transcript.only("message").empty());
}

TEST_F(LinuxPlatform, UnreadableFolderEndsTheWalkWithFalse) {
    dir.write("a.txt", "x");
    dir.write("locked/secret.txt", "x");
    chmod(dir.str().c_str(), 0755);
    chmod((dir / "locked").c_str(), 0);
    const std::string root = dir.str() + "/";
    const auto walkAsThisUser = [&] {
        return !walk() && paths.paths() == std::vector<std::string>{root + "a.txt"} &&
               transcript.only("message").empty();
    };
    if (geteuid() != 0) {
        EXPECT_TRUE(walkAsThisUser());
        return;
    }
    // Root reads every folder: the walk runs in a child that has become an ordinary user.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool ok = setgid(65534) == 0 && setuid(65534) == 0 && walkAsThisUser();
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(LinuxPlatform, PresentFileIsAPlainFileNeverAFolderOrLink) {
    dir.write("a.txt", "x");
    symlink((dir / "a.txt").c_str(), (dir / "link").c_str());
    EXPECT_TRUE(files.isPresentFile(dir.str() + "/a.txt"));
    EXPECT_FALSE(files.isPresentFile(dir.str() + "/link"));
    EXPECT_FALSE(files.isPresentFile(dir.str()));
    EXPECT_FALSE(files.isPresentFile(dir.str() + "/missing"));
    EXPECT_THROW(files.fileSize(dir.str() + "/missing"), FileError);
}

TEST_F(LinuxPlatform, CopyReplacesTheTargetAndLeavesItWritable) {
    dir.write("disc/readonly.txt", "new content");
    chmod((dir / "disc/readonly.txt").c_str(), 0444);
    dir.write("out/readonly.txt", "old");
    files.copyFile(dir.str() + "/disc/readonly.txt", dir.str() + "/out//readonly.txt");
    EXPECT_EQ(dir.read("out/readonly.txt"), "new content");
    struct stat info {};
    stat((dir / "out/readonly.txt").c_str(), &info);
    EXPECT_TRUE(info.st_mode & S_IWUSR);
    // A second copy over the first must work too.
    files.copyFile(dir.str() + "/disc/readonly.txt", dir.str() + "/out/readonly.txt");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "out"), {}), 1)
        << "no temporary file left";
}

TEST_F(LinuxPlatform, FailedCopiesLeaveTheTargetAsItWas) {
    dir.write("disc/a.txt", "disc");
    dir.write("out/a.txt", "keep me");
    EXPECT_THROW(files.copyFile(dir.str() + "/disc/a.txt", dir.str() + "/disc/a.txt"), FileError);
    EXPECT_EQ(dir.read("disc/a.txt"), "disc");
    EXPECT_THROW(files.copyFile(dir.str() + "/disc/missing", dir.str() + "/out/a.txt"), FileError);
    EXPECT_THROW(files.copyFile(dir.str() + "/disc/a.txt", dir.str() + "/no such folder/a.txt"),
                 FileError);
    symlink((dir / "disc/a.txt").c_str(), (dir / "disc/link").c_str());
    EXPECT_THROW(files.copyFile(dir.str() + "/disc/link", dir.str() + "/out/a.txt"), FileError);
    std::filesystem::create_directory(dir / "out/folder");
    EXPECT_THROW(files.copyFile(dir.str() + "/disc/a.txt", dir.str() + "/out/folder"), FileError);
    EXPECT_EQ(dir.read("out/a.txt"), "keep me");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "out"), {}), 2);
}

TEST_F(LinuxPlatform, TextFileIsWrittenWholeOrNotAtAll) {
    dir.write("log.txt", "old log");
    files.writeTextFile(dir.str() + "/log.txt", "new");
    EXPECT_EQ(dir.read("log.txt"), "new");
    EXPECT_THROW(files.writeTextFile(dir.str() + "/missing folder/log.txt", "x"), FileError);
    std::filesystem::create_directory(dir / "a folder");
    EXPECT_THROW(files.writeTextFile(dir.str() + "/a folder", "x"), FileError);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2)
        << "no temporary file left";
}

TEST_F(LinuxPlatform, FullDiskFailsCopiesAndSavesAndLosesNothing) {
    SmallDisk disk(64);
    if (!disk.mounted()) {
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    }
    const std::string full = disk.dir().str();
    dir.write("big.bin", std::string(200 * 1024, 'b'));
    disk.dir().write("older.bin", "older");
    EXPECT_THROW(files.copyFile(dir.str() + "/big.bin", full + "/new.bin"), FileError);
    EXPECT_THROW(files.copyFile(dir.str() + "/big.bin", full + "/older.bin"), FileError);
    EXPECT_THROW(files.writeTextFile(full + "/older.bin", std::string(200 * 1024, 'l')), FileError);
    EXPECT_EQ(disk.dir().read("older.bin"), "older");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(disk.dir().path()), {}), 1)
        << "nothing half-written is left";
}

TEST_F(LinuxPlatform, DriveReadinessNeedsAListableFolder) {
    EXPECT_TRUE(files.isDriveReady(dir.str()));
    EXPECT_FALSE(files.isDriveReady(dir.str() + "/missing"));
    EXPECT_FALSE(files.isDriveReady(""));
    EXPECT_FALSE(files.isDriveReady("e:"));
    dir.write("file", "x");
    EXPECT_FALSE(files.isDriveReady(dir.str() + "/file"));
}

TEST_F(LinuxPlatform, WalkPatternOfARootFolderHasNoDoubledSeparator) {
    EXPECT_EQ(files.walkPattern("/media/cdrom"), "/media/cdrom/*.*");
    EXPECT_EQ(files.walkPattern("/"), "/*.*");
}

TEST(CodePage, TextIsConvertedAndPathBytesAreKept) {
    const std::string sjisPath = "\x83\x65.txt"; // a Shift-JIS name from an old disc
    const std::string log = "写真\\" + sjisPath + "\r\n";
    EXPECT_EQ(toCodePage(log, "UTF-8"), log);
    EXPECT_EQ(toCodePage(log, "SHIFT_JIS"), "\x8e\xca\x90\x5e\\" + sjisPath + "\r\n");
    EXPECT_EQ(toCodePage("ascii only", "ANSI_X3.4-1968"), "ascii only");
}

} // namespace
} // namespace orbisk
