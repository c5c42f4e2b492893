#include "catalog/catalog.h"
#include "copy/copy_files.h"
#include "copy_log_text.h"
#include "registration/register_disc.h"
#include "search/find_files.h"
#include "support/catalog_rows.h"
#include "support/failing_mount.h"
#include "support/real_folders_fixture.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

using namespace testing;

// COPY from real folders whose registrations read every file's content.
class CopyContent : public RealFoldersFixture {
protected:
    void SetUp() override {
        dir.write("a/report.txt", std::string(100000, 'r'));
        dir.write("a/notes.txt", "notes");
    }
    void add(const std::string& drive, const std::string& title) {
        ASSERT_EQ(RegisterDisc(platform, catalog, drive, title, sink, {}, true),
                  Registration::Registered);
    }
    std::string copy(const std::string& key, const std::string& title) {
        return CopyLogText(copyFound(key, title).log);
    }
};

TEST_F(CopyContent, BytesChangedWithinTheSameSizeAndDateAreACopyErrorAndNoCopyIsLeft) {
    add((dir / "a").string(), "Disc A");
    const auto date = std::filesystem::last_write_time(dir / "a/report.txt");
    std::string changed(100000, 'r');
    changed[77777] = 'X';
    dir.write("a/report.txt", changed);
    std::filesystem::last_write_time(dir / "a/report.txt", date);

    const std::string log = copy("*.txt", "Disc A");
    EXPECT_NE(log.find((dir / "a/report.txt").string() +
                       "\r\n***Copy Error: ディスクのファイルの内容が登録したときと違います"
                       "（大きさと日付は同じです）。\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find((dir / "a/notes.txt").string() + "\r\n***Copy Normal End\r\n"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "out/report.txt"));
    EXPECT_EQ(dir.read("out/notes.txt"), "notes");
}

TEST_F(CopyContent, AnUnreadableFileNamesTheOtherDiscsThatHoldIt) {
    if (!HasFuse()) {
        GTEST_SKIP() << "no FUSE here";
    }
    const auto date = std::filesystem::last_write_time(dir / "a/report.txt");
    dir.write("b/old/report.txt", std::string(100000, 'r'));
    std::filesystem::last_write_time(dir / "b/old/report.txt", date);
    add((dir / "b").string(), "Disc B");
    const FailingMount disc((dir / "a").string());
    ASSERT_TRUE(disc.mounted());
    add(disc.folder(), "Disc A");
    disc.setRules({"fail=report.txt"});

    const std::string log = copy("report.txt", "Disc A");
    EXPECT_NE(log.find("ほかのディスクにあるコピー: 「Disc B」" +
                       (dir / "b/old/report.txt").string() + "。\r\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("***Copy Error: "), std::string::npos);
}

} // namespace
} // namespace orbisk
