// Packed files' contents, read from real archives in one pass.
#include "archive/archive_contents.h"
#include "archive/archive_reader.h"
#include "linux_file_system.h"
#include "support/archive_writer.h"
#include "support/lzh_writer.h"
#include "support/random_bytes.h"
#include "support/shell.h"
#include "support/temp_dir.h"
#include "words.h"

#include <fstream>
#include <gtest/gtest.h>

namespace orbisk {
namespace {

using namespace testing;

const std::string Sjis = "\x83\x65\x83\x58\x83\x67"; // "テスト" in code page 932

class ArchiveContentsTest : public ::testing::Test {
protected:
    // Reads the archive at path and checks what every archive's reading must give: the
    // same members as ListMembers, and the whole file's own fingerprint.
    ArchiveContents readAll(const std::string& path, const ArchiveLimits& limits = {}) {
        const auto file = files.openForReading(path);
        EXPECT_TRUE(file);
        if (!file) {
            return {};
        }
        ArchiveContents got = ReadArchiveContents(*file, counters, stop.get_token(), limits);
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        if (got.end != ArchiveContents::End::Cancelled) {
            EXPECT_EQ(got.file.end, ContentRead::End::Read);
            EXPECT_EQ(got.file.fingerprint, FingerprintOf(bytes)) << "the archive as a file";
        }
        const auto listedFile = files.openForReading(path);
        const MemberList listed = ListMembers(*listedFile, limits);
        if (listed.end != MemberList::End::Unreadable) {
            EXPECT_LE(got.members.size(), listed.members.size());
            for (std::size_t i = 0; i < got.members.size(); ++i) {
                EXPECT_EQ(got.members[i].path, listed.members[i].path) << i;
                EXPECT_EQ(got.members[i].read.expectedBytes, listed.members[i].facts.bytes) << i;
            }
        }
        return got;
    }
    void expectRead(const MemberContent& member, const std::string& path,
                    const std::string& bytes) {
        EXPECT_EQ(member.path, path);
        EXPECT_EQ(member.read.end, ContentRead::End::Read)
            << path << ": " << Worded(member.read.reason, Language::English);
        EXPECT_EQ(member.read.bytesRead, bytes.size()) << path;
        EXPECT_EQ(member.read.fingerprint, FingerprintOf(bytes)) << path;
    }

    TempDir dir;
    LinuxFileSystem files;
    ReadCounters counters;
    std::stop_source stop;
};

TEST_F(ArchiveContentsTest, EveryPackedFileOfAZipIsFingerprintedInOnePass) {
    const std::string big = RandomBytes(3 << 20, 1, 16); // unpacks in many blocks
    const std::string stored = RandomBytes(200000, 2, 16);
    dir.write("in/docs/big.bin", big);
    dir.write("in/stored.bin", stored);
    dir.write("in/empty.txt", "");
    dir.write("in/" + Sjis + ".txt", "test\n");
    ASSERT_TRUE(RunQuietly("cd '" + dir.str() + "/in' && zip -q -r ../a.zip docs empty.txt " +
                           Sjis +
                           ".txt && zip -q -0 ../a.zip stored.bin && ln -s docs/big.bin link && "
                           "zip -q --symlinks ../a.zip link"));
    const ArchiveContents got = readAll((dir / "a.zip").string());
    EXPECT_EQ(got.end, ArchiveContents::End::Read);
    ASSERT_EQ(got.members.size(), 4u) << "no folder, no link";
    expectRead(got.members[0], "docs/big.bin", big);
    expectRead(got.members[1], "empty.txt", "");
    expectRead(got.members[2], Sjis + ".txt", "test\n");
    expectRead(got.members[3], "stored.bin", stored);
    EXPECT_EQ(got.members[0].place, 1u) << "the folder docs/ is the first entry";
    EXPECT_EQ(got.members[3].place, 4u);
    EXPECT_EQ(counters.files, 1u);
    EXPECT_EQ(counters.members, 4u);
    EXPECT_EQ(counters.bytes, std::filesystem::file_size(dir / "a.zip"))
        << "the archive's own bytes, once each";
}

TEST_F(ArchiveContentsTest, TarLzhAndSevenZipGiveTheirMembersAsListed) {
    const std::string data = RandomBytes(100000, 3, 16);
    dir.write("in/docs/data.bin", data);
    dir.write("in/docs/note.txt", "note\n");
    ASSERT_TRUE(RunQuietly("tar czf '" + dir.str() + "/a.tar.gz' -C '" + dir.str() + "/in' docs"));
    ASSERT_TRUE(RunQuietly("cd '" + dir.str() + "/in' && 7z a -bd ../a.7z docs"));
    std::ofstream((dir / "old.lzh").string(), std::ios::binary)
        << StoredLzh({{Sjis + "2.txt", "lzh test\n"}, {"docs\\lzhnote.txt", "note\n"}});

    for (const std::string name : {"a.tar.gz", "a.7z"}) {
        const ArchiveContents got = readAll((dir / name).string());
        EXPECT_EQ(got.end, ArchiveContents::End::Read) << name;
        std::map<std::string, ContentRead> byPath;
        for (const MemberContent& m : got.members) {
            byPath[m.path] = m.read;
        }
        EXPECT_EQ(byPath["docs/data.bin"].fingerprint, FingerprintOf(data)) << name;
        EXPECT_EQ(byPath["docs/note.txt"].fingerprint, FingerprintOf("note\n")) << name;
    }
    const ArchiveContents lzh = readAll((dir / "old.lzh").string());
    ASSERT_EQ(lzh.members.size(), 2u);
    expectRead(lzh.members[0], Sjis + "2.txt", "lzh test\n");
    expectRead(lzh.members[1], "docs/lzhnote.txt", "note\n");
}

TEST_F(ArchiveContentsTest, TheSamePathTwiceIsTwoPackedFilesToldApartByTheirPlace) {
    WriteArchive(dir / "twice.zip", {{"a.txt", "first"}, {"a.txt", "second"}});
    const ArchiveContents got = readAll((dir / "twice.zip").string());
    ASSERT_EQ(got.members.size(), 2u);
    EXPECT_EQ(got.members[0].place, 0u);
    EXPECT_EQ(got.members[1].place, 1u);
    expectRead(got.members[0], "a.txt", "first");
    expectRead(got.members[1], "a.txt", "second");
}

TEST_F(ArchiveContentsTest, ADamagedOrLockedPackedFileIsSaidAndTheOthersAreRead) {
    const std::string good = RandomBytes(50000, 4, 16);
    const std::string hurt = RandomBytes(50000, 5, 16);
    dir.write("in/good.bin", good);
    dir.write("in/hurt.bin", hurt);
    dir.write("in/secret.txt", "secret\n");
    ASSERT_TRUE(RunQuietly("cd '" + dir.str() +
                           "/in' && zip -q -0 ../a.zip hurt.bin good.bin && "
                           "zip -q -P password ../a.zip secret.txt"));
    // One byte of hurt.bin's stored data changed: its check no longer holds.
    std::fstream zip((dir / "a.zip").string(), std::ios::in | std::ios::out | std::ios::binary);
    zip.seekp(30 + 8 + 20000);
    zip.put('\x7F');
    zip.close();

    const ArchiveContents got = readAll((dir / "a.zip").string());
    ASSERT_EQ(got.members.size(), 3u);
    EXPECT_EQ(got.members[0].path, "hurt.bin");
    EXPECT_EQ(got.members[0].read.end, ContentRead::End::Damaged);
    EXPECT_NE(Worded(got.members[0].read.reason, Language::English).find("CRC"), std::string::npos)
        << Worded(got.members[0].read.reason, Language::English);
    EXPECT_FALSE(got.members[0].read.fingerprint);
    expectRead(got.members[1], "good.bin", good);
    EXPECT_EQ(got.members[2].read.end, ContentRead::End::Encrypted);
    EXPECT_FALSE(got.members[2].read.fingerprint);
}

TEST_F(ArchiveContentsTest, AFileThatIsNoArchiveIsStillReadAsAFile) {
    dir.write("setup.exe", "MZ not an archive at all");
    dir.write("broken.zip", "PK\x03\x04 this is not the rest of a zip");
    const ArchiveContents exe = readAll((dir / "setup.exe").string());
    EXPECT_EQ(exe.end, ArchiveContents::End::NotArchive);
    EXPECT_TRUE(exe.members.empty());
    const ArchiveContents broken = readAll((dir / "broken.zip").string());
    EXPECT_NE(broken.end, ArchiveContents::End::Read);
    EXPECT_TRUE(broken.members.empty());
    EXPECT_EQ(counters.files, 2u);
}

TEST_F(ArchiveContentsTest, TheMemberLimitKeepsTheFirstAndTheFileIsStillReadWhole) {
    WriteArchive(dir / "many.zip", {{"1", "a"}, {"2", "b"}, {"3", "c"}});
    ArchiveLimits limits;
    limits.mostMembers = 2;
    const ArchiveContents got = readAll((dir / "many.zip").string(), limits);
    EXPECT_EQ(got.end, ArchiveContents::End::TooMany);
    ASSERT_EQ(got.members.size(), 2u);
    expectRead(got.members[1], "2", "b");
}

TEST_F(ArchiveContentsTest, ACancelStopsTheReading) {
    dir.write("in/big.bin", RandomBytes(4 << 20, 6, 16));
    ASSERT_TRUE(RunQuietly("cd '" + dir.str() + "/in' && zip -q ../a.zip big.bin"));
    stop.request_stop();
    const ArchiveContents got = readAll((dir / "a.zip").string());
    EXPECT_EQ(got.end, ArchiveContents::End::Cancelled);
    EXPECT_EQ(got.file.end, ContentRead::End::Cancelled);
    EXPECT_FALSE(got.file.fingerprint);
    EXPECT_EQ(counters.files, 0u);
}

} // namespace
} // namespace orbisk
