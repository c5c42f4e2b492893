#include "linux_file_system.h"
#include "media/folder_walk.h"
#include "new_file.h"
#include "support/listing_hook.h"
#include "support/ordinary_user.h"
#include "support/scripted_platform.h"
#include "support/small_disk.h"
#include "support/temp_dir.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace orbisk {
namespace {

using namespace testing;

class LinuxPlatform : public ::testing::Test {
protected:
    TempDir dir;
    ListingHook<LinuxFileSystem> files;
    Transcript transcript;
    ScriptedDialogs dialogs{transcript};
    PathStore paths;
    SkippedFolders skipped;

    bool walk(const std::string& root) {
        return CollectFiles({files, dialogs}, files.walkPattern(root), true, paths, skipped);
    }
    bool walk() { return walk(dir.str()); }

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
    EXPECT_EQ(files.fileFacts(paths.paths()[0]).bytes, 4u);
}

TEST_F(LinuxPlatform, FoldersThatVanishBeforeTheirTurnArePassedOver) {
    dir.write("a/one.txt", "x");
    dir.write("b/two.txt", "x");
    dir.write("c/three.txt", "x");
    // After the root is listed, its subfolders go before the walk reaches them.
    files.onList = [&](int listing) {
        if (listing == 2) {
            for (const char* name : {"a", "b", "c"}) {
                std::filesystem::remove_all(dir / name);
            }
        }
    };
    EXPECT_TRUE(walk());
    EXPECT_EQ(paths.count(), 0);
    EXPECT_EQ(skipped.count, 3);
    EXPECT_TRUE(transcript.only("message").empty());
}

TEST_F(LinuxPlatform, UnreadableFolderIsPassedOverAndEveryOtherFolderIsWalked) {
    dir.write("a.txt", "x");
    dir.write("lost+found/secret.txt", "x");
    dir.write("later/b.txt", "x");
    dir.write("later/deeper/c.txt", "x");
    chmod(dir.str().c_str(), 0755);
    chmod((dir / "lost+found").c_str(), 0700);
    const std::string root = dir.str() + "/";
    EXPECT_TRUE(asOrdinaryUser([&] {
        return walk() &&
               sortedPaths() == std::vector<std::string>{root + "a.txt", root + "later/b.txt",
                                                         root + "later/deeper/c.txt"} &&
               skipped.count == 1 && skipped.first == root + "lost+found/" &&
               transcript.only("message").empty();
    }));
}

TEST_F(LinuxPlatform, WalkStaysOnTheDiscAndEntersEachFolderOnce) {
    dir.write("disc/a.txt", "x");
    dir.write("disc/sub/b.txt", "x");
    std::filesystem::create_directories(dir / "disc/tmp");
    std::filesystem::create_directories(dir / "disc/sub/again");
    const auto other = ScopedMount::tmpfs((dir / "disc/tmp").string(), 64);
    if (!other.mounted()) {
        GTEST_SKIP() << "mounting needs root";
    }
    dir.write("disc/tmp/c.txt", "another file system");
    // The disc mounted a second time inside itself.
    const auto again =
        ScopedMount::bind((dir / "disc").string(), (dir / "disc/sub/again").string());
    ASSERT_TRUE(again.mounted());
    EXPECT_TRUE(walk((dir / "disc").string()));
    const std::string root = (dir / "disc").string() + "/";
    EXPECT_EQ(sortedPaths(), (std::vector<std::string>{root + "a.txt", root + "sub/b.txt"}));
    EXPECT_EQ(skipped.count, 0);
}

TEST_F(LinuxPlatform, PresentFileIsAPlainFileNeverAFolderOrLink) {
    dir.write("a.txt", "x");
    symlink((dir / "a.txt").c_str(), (dir / "link").c_str());
    EXPECT_TRUE(files.isPresentFile(dir.str() + "/a.txt"));
    EXPECT_FALSE(files.isPresentFile(dir.str() + "/link"));
    EXPECT_FALSE(files.isPresentFile(dir.str()));
    EXPECT_FALSE(files.isPresentFile(dir.str() + "/missing"));
    EXPECT_THROW(files.fileFacts(dir.str() + "/missing"), FileError);
}

TEST_F(LinuxPlatform, HeldFolderAsksFilesAsTheirWholePathsDoEvenWithoutReadRight) {
    dir.write("shut/a.txt", "four");
    symlink((dir / "shut/a.txt").c_str(), (dir / "shut/link").c_str());
    chmod(dir.str().c_str(), 0755);
    chmod((dir / "shut").c_str(), 0711);
    const std::string folder = dir.str() + "/shut";
    EXPECT_TRUE(asOrdinaryUser([&] {
        const auto held = files.openFolder(folder);
        if (!held) {
            return false;
        }
        const FileFacts facts = held->fileFacts("a.txt");
        const FileFacts link = held->fileFacts("link");
        const FileFacts whole = files.fileFacts(folder + "/a.txt");
        bool missingSaid = false;
        try {
            held->fileFacts("missing");
        } catch (const FileError& error) {
            missingSaid = std::string(error.what()).starts_with(folder + "/missing: ");
        }
        return facts.bytes == 4 && facts.bytes == whole.bytes && facts.modified == whole.modified &&
               link.bytes != 4 && missingSaid;
    }));
    EXPECT_EQ(files.openFolder(dir.str() + "/none"), nullptr);
    EXPECT_EQ(files.openFolder(folder + "/a.txt"), nullptr);
}

TEST_F(LinuxPlatform, APathTooLongForTheSystemIsToldFromAMissingFile) {
    const std::string deep = dir.str() + "/" + std::string(300, 'n') + "/a.txt";
    EXPECT_FALSE(files.isPresentFile(deep));
    EXPECT_TRUE(files.isPathTooLong(deep));
    EXPECT_FALSE(files.isPathTooLong(dir.str() + "/missing.txt"));
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

// Runs a copy in a child process that is killed with SIGKILL once the copy has written
// its first kilobytes, as a user's kill -9 or a crash would stop it.
void copyKilledHalfWay(LinuxFileSystem& files, const std::string& source,
                       const std::string& target) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, [](int) { raise(SIGKILL); });
        const rlimit limit{64 * 1024, 64 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            files.copyFile(source, target);
        } catch (...) {
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the copy was not killed";
}

TEST_F(LinuxPlatform, CopyKilledHalfWayNeverLeavesAFileUnderItsNameAndItsRestIsClearedLater) {
    dir.write("disc/big.bin", std::string(1024 * 1024, 'b'));
    dir.write("out/older.bin", "older");
    const std::string out = dir.str() + "/out";
    copyKilledHalfWay(files, dir.str() + "/disc/big.bin", out + "/new.bin");
    copyKilledHalfWay(files, dir.str() + "/disc/big.bin", out + "/older.bin");
    EXPECT_FALSE(std::filesystem::exists(out + "/new.bin"));
    EXPECT_EQ(dir.read("out/older.bin"), "older");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 3)
        << "the killed copies left their temporary files";

    // A temporary file of a copy still running here is not touched.
    NewFile running(out + "/running.bin", 0644);
    files.prepareTarget(out);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 2);
    files.copyFile(dir.str() + "/disc/big.bin", out + "/new.bin");
    EXPECT_EQ(std::filesystem::file_size(out + "/new.bin"), 1024u * 1024u);
}

// A stop asked while a large file is copied ends the copy within a moment, not at the
// file's end, and leaves neither the target nor a temporary file.
TEST_F(LinuxPlatform, AStopEndsALargeFilesCopyWithinAMomentAndLeavesNothing) {
    constexpr std::uintmax_t Size = 1ull << 30;
    std::filesystem::create_directories(dir / "out");
    { std::ofstream sparse(dir / "big.bin"); }
    std::filesystem::resize_file(dir / "big.bin", Size);
    const std::filesystem::path out = dir / "out";
    std::stop_source stop;
    std::exception_ptr ended;
    bool finished = false;
    std::chrono::steady_clock::time_point done;
    std::thread copying([&] {
        try {
            files.copyFile(dir.str() + "/big.bin", out.string() + "/big.bin", stop.get_token());
            done = std::chrono::steady_clock::now();
            finished = true;
        } catch (...) {
            ended = std::current_exception();
        }
    });
    // Once the temporary file has grown, the copy is under way.
    const auto written = [&out] {
        for (const auto& entry : std::filesystem::directory_iterator(out)) {
            if (entry.file_size() > 0) {
                return true;
            }
        }
        return false;
    };
    const auto start = std::chrono::steady_clock::now();
    while (!written() && std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const auto asked = std::chrono::steady_clock::now();
    stop.request_stop();
    copying.join();
    const auto took = std::chrono::steady_clock::now() - asked;
    if (finished && done < asked) {
        GTEST_SKIP() << "this file system copied the whole file before the stop was asked";
    }
    ASSERT_FALSE(finished) << "the stop waited for the file's end";
    ASSERT_TRUE(ended);
    EXPECT_THROW(std::rethrow_exception(ended), CopyStopped);
    EXPECT_LT(took, std::chrono::seconds(2)) << "the stop waited for the file's end";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), 0)
        << "the partial copy is removed";
}

TEST_F(LinuxPlatform, SourceThatEndsShortOfItsSizeIsAnError) {
    dir.write("disc/short.bin", std::string(100, 's'));
    const int source = open((dir / "disc/short.bin").c_str(), O_RDONLY);
    ASSERT_GE(source, 0);
    {
        NewFile copy(dir.str() + "/copy.bin", 0644);
        // The size the source had when it was opened, before it shrank.
        EXPECT_THROW(copy.copyFrom(source, 4096), FileError);
    }
    close(source);
    EXPECT_FALSE(std::filesystem::exists(dir / "copy.bin"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(LinuxPlatform, SourceSwappedForAFifoFailsAtOnceInsteadOfWaitingForever) {
    mkfifo((dir / "swapped.txt").c_str(), 0644);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        alarm(10);
        try {
            files.copyFile(dir.str() + "/swapped.txt", dir.str() + "/out.txt");
        } catch (const FileError&) {
            _exit(0);
        }
        _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(LinuxPlatform, SaveOverAFileKeepsItsModeOwnerAndLinks) {
    dir.write("private.txt", "old");
    chmod((dir / "private.txt").c_str(), 0600);
    files.writeTextFile(dir.str() + "/private.txt", "new");
    struct stat info {};
    ASSERT_EQ(stat((dir / "private.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(dir.read("private.txt"), "new");

    dir.write("logs/real.txt", "old");
    std::filesystem::create_symlink(dir / "logs/real.txt", dir / "link.txt");
    files.writeTextFile(dir.str() + "/link.txt", "through the link");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.txt"));
    EXPECT_EQ(dir.read("logs/real.txt"), "through the link");

    if (geteuid() == 0) {
        ASSERT_EQ(chown((dir / "private.txt").c_str(), 65534, 65534), 0);
        files.writeTextFile(dir.str() + "/private.txt", "again");
        ASSERT_EQ(stat((dir / "private.txt").c_str(), &info), 0);
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_EQ(info.st_gid, 65534u);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);
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
    EXPECT_EQ(ToCodePage(log, "UTF-8"), log);
    EXPECT_EQ(ToCodePage(log, "SHIFT_JIS"), "\x8e\xca\x90\x5e\\" + sjisPath + "\r\n");
    EXPECT_EQ(ToCodePage("ascii only", "ANSI_X3.4-1968"), "ascii only");
}

} // namespace
} // namespace orbisk
