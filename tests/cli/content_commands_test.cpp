#include "command_line.h"
#include "linux_file_system.h"
#include "support/catalog_rows.h"
#include "support/failing_mount.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace orbisk {
namespace {

using testing::TempDir;

// orbisk-cli's commands on files' contents, run in this process on real folders.
class ContentCommandsTest : public ::testing::Test {
protected:
    struct Said {
        int status = -1;
        std::string out;
        std::string err;
    };

    TempDir dir;
    LinuxFileSystem files;
    testing::FixedClock clock;
    testing::CommaNumberFormat numbers;
    std::filesystem::path catalog = testing::newCatalog(dir);

    void SetUp() override {
        dir.write("disc/notes.txt", "notes");
        dir.write("disc/docs/readme.txt", std::string(200000, 'r'));
        dir.write("disc/docs/report.doc", "report");
    }

    Said run(std::vector<std::string> arguments, Language language = Language::English) {
        arguments.insert(arguments.begin(), {"--catalog", catalog.string()});
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        const CommandLineServices services{
            files, clock, numbers, dir / "bin", dir / "data", dir / "cache", language, out, err};
        Said said;
        said.status = RunCommandLine(arguments, services);
        said.out = contents(out);
        said.err = contents(err);
        return said;
    }

    static std::string contents(std::FILE* file) {
        std::string text;
        std::rewind(file);
        for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
            text += static_cast<char>(c);
        }
        std::fclose(file);
        return text;
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
        EXPECT_NE(first.out.find("same\t" + disc / "notes.txt" + "\t\t\n"), std::string::npos)
            << first.out;
        EXPECT_NE(first.out.find("unreadable\t" + disc / "docs/readme.txt" +
                                 "\t\tread error: Input/output error (65536 of 200000 bytes "
                                 "read)\n"),
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

} // namespace
} // namespace orbisk
