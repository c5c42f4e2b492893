// A disc read whole against its registration, through a disc whose reads fail where a test
// says (the failing mirror), with real archives made by tar.
#include "archive/archive_contents.h"
#include "content/disc_verification.h"
#include "linux_file_system.h"
#include "support/failing_mount.h"
#include "support/random_bytes.h"
#include "support/shell.h"
#include "support/temp_dir.h"
#include "words.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace orbisk {
namespace {

using namespace testing;

class DiscVerification : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HasFuse()) {
            GTEST_SKIP() << "no /dev/fuse here";
        }
    }

    // The file as registered now: its facts, and its fingerprint when asked.
    RegisteredFile keep(const std::string& relative, bool withContent = true) {
        RegisteredFile file;
        file.path = relative;
        file.facts = files.fileFacts(source.str() + "/" + relative);
        if (withContent) {
            file.content = FingerprintOf(source.read(relative));
        }
        return file;
    }
    // An archive as registered: every member at its place, with its fingerprint.
    RegisteredFile keepArchive(const std::string& relative) {
        RegisteredFile file = keep(relative);
        const auto opened = files.openForReading(source.str() + "/" + relative);
        ReadCounters ignored;
        const ArchiveContents archive = ReadArchiveContents(*opened, ignored, {});
        for (const MemberContent& member : archive.members) {
            file.members.push_back(
                {member.place, member.path, member.read.bytesRead, member.read.fingerprint});
        }
        return file;
    }

    // Every verdict of a run, by path.
    std::map<std::string, FileVerdict> verify(const std::string& root) {
        plan.root = root + "/";
        std::map<std::string, FileVerdict> verdicts;
        order.clear();
        counts = VerifyDisc(files, plan, counters, stop.get_token(), [&](const FileVerdict& v) {
            order.push_back(v.path);
            verdicts[v.path] = v;
            if (v.path == stopAfter) {
                stop.request_stop();
            }
        });
        return verdicts;
    }

    TempDir source;
    LinuxFileSystem files;
    VerificationPlan plan;
    ReadCounters counters;
    std::stop_source stop;
    VerificationCounts counts;
    std::vector<std::string> order;
    std::string stopAfter;
};

TEST_F(DiscVerification, EachFileIsToldAsItIsAndABadPlaceNeverEndsTheRun) {
    source.write("same.dat", RandomBytes(400000, 1));
    source.write("bad/middle.dat", RandomBytes(3000000, 2));
    source.write("after.dat", RandomBytes(300000, 3));
    source.write("rewritten.dat", RandomBytes(50000, 4));
    source.write("grown.dat", "short");
    source.write("gone.dat", "gone");
    source.write("new.dat", "not registered");
    source.write("noopen.dat", "cannot be opened");
    plan.registered = {keep("same.dat"),      keep("bad/middle.dat"), keep("after.dat"),
                       keep("rewritten.dat"), keep("grown.dat"),      keep("gone.dat"),
                       keep("noopen.dat")};
    plan.walked = {"same.dat",  "bad/middle.dat", "after.dat", "rewritten.dat",
                   "grown.dat", "new.dat",        "noopen.dat"};
    // Another content of the same size and date: only the fingerprint tells.
    const auto rewrittenDate = std::filesystem::last_write_time(source.path() / "rewritten.dat");
    source.write("rewritten.dat", RandomBytes(50000, 5));
    std::filesystem::last_write_time(source.path() / "rewritten.dat", rewrittenDate);
    source.write("grown.dat", "longer than it was");
    std::filesystem::remove(source.path() / "gone.dat");

    const FailingMount disc(source.str(),
                            {"fail=bad/middle.dat@1000000-1100000", "noopen=noopen.dat"});
    ASSERT_TRUE(disc.mounted());
    auto verdicts = verify(disc.folder());

    EXPECT_EQ(verdicts["same.dat"].verdict, Verdict::Same);
    const FileVerdict& bad = verdicts["bad/middle.dat"];
    EXPECT_EQ(bad.verdict, Verdict::Unreadable);
    EXPECT_EQ(Worded(bad.read.reason, Language::English), std::strerror(EIO));
    EXPECT_EQ(bad.read.bytesRead, 1000000u) << "how far it read is kept";
    EXPECT_EQ(verdicts["after.dat"].verdict, Verdict::Same) << "the run goes on past it";
    EXPECT_EQ(verdicts["after.dat"].read.fingerprint, FingerprintOf(source.read("after.dat")));
    EXPECT_EQ(verdicts["rewritten.dat"].verdict, Verdict::Changed);
    EXPECT_EQ(verdicts["rewritten.dat"].changes, ContentChanged);
    EXPECT_EQ(verdicts["grown.dat"].verdict, Verdict::Changed);
    EXPECT_TRUE(verdicts["grown.dat"].changes & SizeChanged);
    EXPECT_EQ(verdicts["gone.dat"].verdict, Verdict::Missing);
    EXPECT_EQ(verdicts["noopen.dat"].verdict, Verdict::Unreadable);
    EXPECT_EQ(verdicts["new.dat"].verdict, Verdict::Unlisted);
    EXPECT_EQ(verdicts["new.dat"].now->bytes, 14u);
    EXPECT_EQ(order.front(), "same.dat") << "the registration's order, then the unlisted";
    EXPECT_EQ(order.back(), "new.dat");
    EXPECT_EQ(counts.same, 2u);
    EXPECT_EQ(counts.changed, 2u);
    EXPECT_EQ(counts.unreadable, 2u);
    EXPECT_EQ(counts.missing, 1u);
    EXPECT_EQ(counts.unlisted, 1u);
}

TEST_F(DiscVerification, WithoutAKeptFingerprintTheSizeAndDateDecideAndTheReadOneIsGiven) {
    source.write("plain.dat", RandomBytes(70000, 7));
    plan.registered = {keep("plain.dat", false)};
    plan.walked = {"plain.dat"};
    auto verdicts = verify(source.str());
    EXPECT_EQ(verdicts["plain.dat"].verdict, Verdict::Same);
    EXPECT_EQ(verdicts["plain.dat"].read.fingerprint, FingerprintOf(source.read("plain.dat")))
        << "the fingerprint read is there for a registration that lacks one";

    // A disc read in another time zone shows its dates shifted alike; that is no change,
    // but a date off by more than the slack is.
    plan.dateShift = 9 * 3600;
    const auto when = std::filesystem::last_write_time(source.path() / "plain.dat");
    std::filesystem::last_write_time(source.path() / "plain.dat", when + std::chrono::hours(9));
    EXPECT_EQ(verify(source.str())["plain.dat"].verdict, Verdict::Same);
    std::filesystem::last_write_time(source.path() / "plain.dat",
                                     when + std::chrono::hours(9) + std::chrono::seconds(10));
    EXPECT_EQ(verify(source.str())["plain.dat"].changes, DateChanged);
}

TEST_F(DiscVerification, PackedFilesAreKnownByTheirPlaceNeverByAPathTheyShare) {
    // dup.txt twice in one archive: the second entry is another file of the same path.
    source.write("in/dup.txt", "first entry");
    ASSERT_TRUE(
        RunQuietly("tar cf '" + source.str() + "/a.tar' -C '" + source.str() + "/in' dup.txt"));
    source.write("in/dup.txt", "the second entry, longer");
    source.write("in/other.txt", "other");
    ASSERT_TRUE(RunQuietly("tar rf '" + source.str() + "/a.tar' -C '" + source.str() +
                           "/in' dup.txt other.txt"));
    RegisteredFile archive = keepArchive("a.tar");
    ASSERT_EQ(archive.members.size(), 3u);
    ASSERT_EQ(archive.members[0].path, archive.members[1].path);
    plan.walked = {"a.tar", "in/dup.txt", "in/other.txt"};
    plan.registered = {archive, keep("in/dup.txt"), keep("in/other.txt")};

    auto verdicts = verify(source.str());
    ASSERT_EQ(verdicts["a.tar"].verdict, Verdict::Same);
    ASSERT_EQ(verdicts["a.tar"].members.size(), 3u);

    // Kept with the two entries' fingerprints swapped, each entry is changed: neither is
    // taken for the other by its path.
    std::swap(plan.registered[0].members[0].content, plan.registered[0].members[1].content);
    std::swap(plan.registered[0].members[0].bytes, plan.registered[0].members[1].bytes);
    verdicts = verify(source.str());
    EXPECT_EQ(verdicts["a.tar"].verdict, Verdict::Changed);
    EXPECT_EQ(verdicts["a.tar"].changes, MembersChanged) << "the archive file itself is the same";
    EXPECT_EQ(verdicts["a.tar"].members[0].verdict, Verdict::Changed);
    EXPECT_EQ(verdicts["a.tar"].members[1].verdict, Verdict::Changed);
    EXPECT_EQ(verdicts["a.tar"].members[2].verdict, Verdict::Same);

    // A member registered at a place the archive does not hold is missing; the member
    // found at a place under another path than registered is another file, unlisted.
    plan.registered[0] = archive;
    plan.registered[0].members[2].path = "renamed.txt";
    plan.registered[0].members.push_back({7, "later.txt", 3, std::nullopt});
    verdicts = verify(source.str());
    std::map<std::string, Verdict> members;
    for (const MemberVerdict& member : verdicts["a.tar"].members) {
        members[member.path] = member.verdict;
    }
    EXPECT_EQ(members["renamed.txt"], Verdict::Missing);
    EXPECT_EQ(members["later.txt"], Verdict::Missing);
    EXPECT_EQ(members["other.txt"], Verdict::Unlisted);
}

TEST_F(DiscVerification, AStopLeavesTheFilesNotReachedCancelledAndKeepsThoseBefore) {
    for (int i = 0; i < 4; ++i) {
        source.write("f" + std::to_string(i), RandomBytes(10000, 20 + i));
    }
    plan.registered = {keep("f0"), keep("f1"), keep("f2"), keep("f3")};
    plan.walked = {"f0", "f1", "f2", "f3"};
    stopAfter = "f1";
    auto verdicts = verify(source.str());
    EXPECT_EQ(verdicts["f0"].verdict, Verdict::Same);
    EXPECT_EQ(verdicts["f1"].verdict, Verdict::Same);
    EXPECT_EQ(verdicts["f2"].verdict, Verdict::Cancelled);
    EXPECT_EQ(verdicts["f3"].verdict, Verdict::Cancelled);
    EXPECT_EQ(counts.same, 2u);
    EXPECT_EQ(counts.cancelled, 2u);
    EXPECT_EQ(order.size(), 4u) << "every registered file is told once";
}

} // namespace
} // namespace orbisk
