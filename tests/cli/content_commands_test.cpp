#include "content/content_fingerprint.h"
#include "support/archive_writer.h"
#include "support/catalog_rows.h"
#include "support/command_line_fixture.h"
#include "support/failing_mount.h"

#include <chrono>
#include <gtest/gtest.h>

namespace orbisk {
namespace {

// orbisk-cli's commands on files' contents, run in this process on real folders.
class ContentCommandsTest : public testing::CommandLineFixture {
protected:
    void SetUp() override {
        dir.write("disc/notes.txt", "notes");
        dir.write("disc/docs/readme.txt", std::string(200000, 'r'));
        dir.write("disc/docs/report.doc", "report");
    }

    void add(const std::string& folder, const std::string& title) {
        ASSERT_EQ(run({"add", (dir / folder).string(), "--title", title}).status, Done);
    }
};

TEST_F(ContentCommandsTest, VerifyTellsEachFileAndKeepsTheFingerprintsItRead) {
    if (!testing::HasFuse()) {
        GTEST_SKIP() << "no FUSE here";
    }
    add("disc", "Disc A");
    {
        // Mounted elsewhere than where it was registered, with one file failing half-way.
        const testing::FailingMount disc((dir / "disc").string());
        ASSERT_TRUE(disc.mounted());
        disc.setRules({"fail=docs/readme.txt@65536-131072"});
        const Said first = run({"verify", disc.folder(), "--title", "Disc A"});
        EXPECT_EQ(first.status, Differs) << first.err;
        EXPECT_NE(first.out.find("same\t" + disc / "notes.txt" + "\t\t\t\n"), std::string::npos)
            << first.out;
        EXPECT_NE(first.out.find("unreadable\t" + disc / "docs/readme.txt" +
                                 "\t\tread error: Input/output error (65536 of 200000 bytes "
                                 "read)\t\n"),
                  std::string::npos)
            << first.out;
        EXPECT_NE(first.err.find("\"Disc A\": 2 same, 0 changed, 1 unreadable"), std::string::npos)
            << first.err;

        // The same bytes count, another content: only the fingerprint kept by the first run
        // tells it; the file that failed has none yet and reads as the same.
        const auto date = std::filesystem::last_write_time(dir / "disc/notes.txt");
        dir.write("disc/notes.txt", "NOTES");
        std::filesystem::last_write_time(dir / "disc/notes.txt", date);
        disc.setRules({});
        const Said second = run({"verify", disc.folder(), "--json"}, Language::Japanese);
        EXPECT_EQ(second.status, Differs);
        EXPECT_NE(second.out.find("\"verdict\": \"changed\", \"path\": \"" + disc / "notes.txt" +
                                  "\", \"detail\": \"content\""),
                  std::string::npos)
            << second.out;
        EXPECT_NE(second.out.find("\"changed\": 1, \"unreadable\": 0"), std::string::npos);
        EXPECT_NE(second.err.find("「Disc A」: 同じ 2、変更 1"), std::string::npos) << second.err;
    }
    const auto verifications = testing::tableRows(catalog, "OrbiskVerifications");
    ASSERT_EQ(verifications.size(), 1u);
    EXPECT_EQ(verifications[0][5], "2"); // same
    EXPECT_EQ(verifications[0][6], "1"); // changed
    EXPECT_EQ(testing::tableRows(catalog, "OrbiskContents").size(), 3u);
}

TEST_F(ContentCommandsTest, AddWithContentKeepsEveryFingerprintAndNamesAFileThatWouldNotRead) {
    if (!testing::HasFuse()) {
        GTEST_SKIP() << "no FUSE here";
    }
    testing::WriteArchive(dir / "disc/pack.zip", {{"in/a.txt", "packed"}},
                          testing::ArchiveKind::Zip, 1700000000);
    {
        const testing::FailingMount disc((dir / "disc").string());
        ASSERT_TRUE(disc.mounted());
        disc.setRules({"fail=docs/report.doc@2-3"});
        const Said added = run({"add", disc.folder(), "--title", "Disc A", "--content"});
        EXPECT_EQ(added.status, Done) << added.err;
        EXPECT_NE(added.err.find("1 file could not be read to the end and has no content "
                                 "fingerprint.\nThe first: " +
                                 disc / "docs/report.doc" + "\n"),
                  std::string::npos)
            << added.err;
    }
    // The three files that read, and the packed file, each with its own.
    const auto kept = testing::tableRows(catalog, "OrbiskContents");
    EXPECT_EQ(kept.size(), 4u);
    EXPECT_EQ(testing::tableRows(catalog, "MediaTable").size(), 4u);

    // Another content of the same size and date: the fingerprint read at registration
    // tells it at the first verification.
    const auto date = std::filesystem::last_write_time(dir / "disc/notes.txt");
    dir.write("disc/notes.txt", "NOTES");
    std::filesystem::last_write_time(dir / "disc/notes.txt", date);
    const Said verified = run({"verify", (dir / "disc").string()});
    EXPECT_EQ(verified.status, Differs);
    EXPECT_NE(verified.out.find("changed\t" + (dir / "disc/notes.txt").string() + "\t\tcontent\t"),
              std::string::npos)
        << verified.out;
    EXPECT_NE(verified.err.find("3 same, 1 changed"), std::string::npos) << verified.err;
}

TEST_F(ContentCommandsTest, VerifyRefusesAnotherDiscAndSaysWhichItIs) {
    dir.write("other/photo.jpg", "a photo");
    dir.write("other/list.txt", "a list");
    add("disc", "Disc A");
    add("other", "Disc B");
    const Said wrong = run({"verify", (dir / "other").string(), "--title", "Disc A"});
    EXPECT_EQ(wrong.status, Refused);
    EXPECT_TRUE(wrong.out.empty());
    EXPECT_EQ(wrong.err,
              "This disc is not \"Disc A\".\nIt is the disc registered as \"Disc B\".\n");

    dir.write("stranger/a.txt", "nothing registered");
    const Said stranger = run({"verify", (dir / "stranger").string()}, Language::Japanese);
    EXPECT_EQ(stranger.status, Refused);
    EXPECT_EQ(stranger.err, "このディスクは登録されたディスクではありません。\n");

    const Said unknown = run({"verify", (dir / "disc").string(), "--title", "Disc C"});
    EXPECT_EQ(unknown.status, Refused);
    EXPECT_EQ(unknown.err, "\"Disc C\" has no registration that can be verified.\n");

    // The disc itself with a file gone and one added is still the disc, and says so.
    std::filesystem::remove(dir / "disc/docs/report.doc");
    dir.write("disc/new.txt", "new");
    const Said changed = run({"verify", (dir / "disc").string(), "-0"});
    EXPECT_EQ(changed.status, Differs) << changed.err;
    EXPECT_NE(
        changed.out.find(std::string("missing\0", 8) + (dir / "disc/docs/report.doc").string()),
        std::string::npos);
    EXPECT_NE(changed.out.find(std::string("unlisted\0", 9) + (dir / "disc/new.txt").string()),
              std::string::npos);
}

// The file of disc A held by a second disc at another path, and packed in an archive on a
// third; a file of the same name and size but another date on a fourth.
class SharedFilesTest : public ContentCommandsTest {
protected:
    void SetUp() override {
        ContentCommandsTest::SetUp();
        const auto readme = std::filesystem::last_write_time(dir / "disc/docs/readme.txt");
        dir.write("b/backup/readme.txt", std::string(200000, 'r'));
        std::filesystem::last_write_time(dir / "b/backup/readme.txt", readme);
        dir.write("b/photo.jpg", "photo");
        std::filesystem::create_directories(dir / "c");
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
            std::chrono::file_clock::to_sys(readme).time_since_epoch());
        testing::WriteArchive(dir / "c/pack.zip", {{"old/readme.txt", std::string(200000, 'r')}},
                              testing::ArchiveKind::Zip, static_cast<std::time_t>(seconds.count()));
        dir.write("d/readme.txt", std::string(200000, 'r'));
        std::filesystem::last_write_time(dir / "d/readme.txt", readme - std::chrono::hours(50));
        add("disc", "Disc A");
        add("b", "Disc B");
        add("c", "Disc C");
        add("d", "Disc D");
    }
};

TEST_F(SharedFilesTest, DupsAndOnlyHereTellTheCopiesWeakByNameAndStrongByContent) {
    const std::string a = (dir / "disc/docs/readme.txt").string();
    const std::string b = (dir / "b/backup/readme.txt").string();
    const std::string c = (dir / "c/pack.zip").string();
    EXPECT_EQ(run({"dups"}).out, "1\tweak\tDisc A\t" + a + "\t\n1\tweak\tDisc B\t" + b +
                                     "\t\n1\tweak\tDisc C\t" + c + "\told/readme.txt\n");
    EXPECT_EQ(run({"dups", "--title", "Disc D"}).out, "");
    EXPECT_EQ(run({"only-here", "--title", "Disc A"}).out,
              (dir / "disc/notes.txt").string() + "\n" + (dir / "disc/docs/report.doc").string() +
                  "\n");
    EXPECT_EQ(run({"only-here", "--title", "Disc D"}).out, (dir / "d/readme.txt").string() + "\n");
    // The archive itself is on disc C alone; its packed file is not.
    EXPECT_EQ(run({"only-here", "--title", "Disc C"}).out, c + "\n");
    const Said none = run({"only-here", "--title", "Disc Z"}, Language::Japanese);
    EXPECT_EQ(none.status, Refused);
    EXPECT_EQ(none.err, "「Disc Z」には、サイズと日付がカタログにあるファイルがありません。\n");

    // Each disc verified keeps its files' fingerprints: the copies are then the same by
    // content, and the discs' list shows each one's last verification.
    for (const char* disc : {"disc", "b", "c"}) {
        EXPECT_EQ(run({"verify", (dir / disc).string()}).status, Done) << disc;
    }
    const Said strong = run({"dups", "--json"});
    EXPECT_NE(strong.out.find("\"content\": \"" + FingerprintOf(std::string(200000, 'r')).text()),
              std::string::npos)
        << strong.out;
    EXPECT_EQ(strong.out.find("weak"), std::string::npos) << strong.out;
    const Said discs = run({"discs"});
    EXPECT_NE(discs.out.find("Disc A\t1\t3\t"), std::string::npos);
    EXPECT_NE(discs.out.find("\t3\t0\t0\t0\t0\n"), std::string::npos) << discs.out;
    EXPECT_TRUE(
        discs.out.ends_with("Disc D\t1\t1\t195\t" + std::string("2026-12-07") + "\t\t\t\t\t\t\n"))
        << discs.out;
}

TEST_F(SharedFilesTest, VerifyNamesWhereElseAnUnreadableFileLives) {
    if (!testing::HasFuse()) {
        GTEST_SKIP() << "no FUSE here";
    }
    EXPECT_EQ(run({"verify", (dir / "b").string()}).status, Done);
    const testing::FailingMount disc((dir / "disc").string());
    ASSERT_TRUE(disc.mounted());
    disc.setRules({"fail=docs/readme.txt"});
    const Said said = run({"verify", disc.folder(), "--title", "Disc A"});
    EXPECT_EQ(said.status, Differs);
    // Disc B's copy was read whole; the packed one and disc A's own agree only by name, size
    // and date, so both are weak. Disc D's file of another date is no copy.
    EXPECT_NE(said.out.find("\tDisc B: " + (dir / "b/backup/readme.txt").string() +
                            " (weak); Disc C: " + (dir / "c/pack.zip").string() +
                            "/old/readme.txt (weak)\n"),
              std::string::npos)
        << said.out;
}

} // namespace
} // namespace orbisk
