// Reading files whole through a disc whose reads fail, end early, run on or crawl: the
// failing mirror (a FUSE file system of the tests) stands in for the ageing disc.
#include "archive/archive_contents.h"
#include "archive/archive_reader.h"
#include "content/content_reader.h"
#include "linux_file_system.h"
#include "support/failing_mount.h"
#include "support/random_bytes.h"
#include "support/temp_dir.h"
#include "words.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <thread>

namespace orbisk {
namespace {

using namespace testing;

class FailingReads : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HasFuse()) {
            GTEST_SKIP() << "no /dev/fuse here";
        }
    }

    // The disc's files as they are, and the same read through the mirror.
    void put(const std::string& name, const std::string& bytes) {
        source.write(name, bytes);
        contents[name] = bytes;
    }
    ContentRead read(const FailingMount& disc, const std::string& name) {
        const auto file = files.openForReading(disc / name);
        if (!file) {
            ADD_FAILURE() << name << " did not open";
            return {};
        }
        return reader.read(*file);
    }

    TempDir source;
    std::map<std::string, std::string> contents;
    LinuxFileSystem files;
    ReadCounters counters;
    std::stop_source stop;
    ContentReader reader{counters, stop.get_token()};
    const std::string ioError = std::strerror(EIO);
};

TEST_F(FailingReads, ABadPlaceIsSaidWithHowFarTheFileReadAndTheFilesAroundItKeepTheirFingerprints) {
    put("first.dat", RandomBytes(1500000, 1));
    put("folder/bad.dat", RandomBytes(3000000, 2));
    put("last.dat", RandomBytes(700000, 3));
    put("gone.dat", RandomBytes(1000, 4));
    const FailingMount disc(source.str(),
                            {"fail=folder/bad.dat@1000000-1100000", "noopen=gone.dat"});
    ASSERT_TRUE(disc.mounted());

    const ContentRead first = read(disc, "first.dat");
    const ContentRead bad = read(disc, "folder/bad.dat");
    const ContentRead last = read(disc, "last.dat");
    EXPECT_EQ(first.end, ContentRead::End::Read);
    EXPECT_EQ(first.fingerprint, FingerprintOf(contents["first.dat"]));
    EXPECT_EQ(bad.end, ContentRead::End::Unreadable);
    EXPECT_EQ(Worded(bad.reason, Language::English), ioError);
    EXPECT_EQ(bad.bytesRead, 1000000u) << "every byte before the bad place read well";
    EXPECT_EQ(last.end, ContentRead::End::Read);
    EXPECT_EQ(last.fingerprint, FingerprintOf(contents["last.dat"]));
    EXPECT_EQ(counters.files, 3u);
    EXPECT_EQ(counters.bytes, 1500000u + 1000000u + 700000u);

    EXPECT_EQ(files.openForReading(disc / "gone.dat"), nullptr);
}

TEST_F(FailingReads, ThroughTheSystemsCacheAsFromARealDiscTheBadPageIsWhereTheReadStops) {
    put("first.dat", RandomBytes(300000, 11));
    put("bad.dat", RandomBytes(3000000, 12));
    put("last.dat", RandomBytes(300000, 13));
    const FailingMount disc(source.str(), {"fail=bad.dat@1000000-1100000"},
                            FailingMount::Reads::Cached);
    ASSERT_TRUE(disc.mounted());

    EXPECT_EQ(read(disc, "first.dat").fingerprint, FingerprintOf(contents["first.dat"]));
    const ContentRead bad = read(disc, "bad.dat");
    EXPECT_EQ(bad.end, ContentRead::End::Unreadable);
    EXPECT_EQ(Worded(bad.reason, Language::English), ioError);
    // The system reads whole pages, and gives up the one that holds the first bad byte.
    EXPECT_EQ(bad.bytesRead, 1000000u / 4096 * 4096);
    EXPECT_EQ(read(disc, "last.dat").fingerprint, FingerprintOf(contents["last.dat"]));
}

TEST_F(FailingReads, AFileThatShrinksOrGrowsWhileReadIsToldAsSuch) {
    put("shrinks.dat", RandomBytes(2000000, 5));
    put("grows.dat", RandomBytes(2000000, 6));
    // The kernel asks for up to a megabyte at a time: the first ask is answered whole,
    // those after it find the file shorter.
    const FailingMount disc(source.str(),
                            {"shorten=shrinks.dat@1500000", "grow=grows.dat@2005000"});
    ASSERT_TRUE(disc.mounted());

    const ContentRead shorter = read(disc, "shrinks.dat");
    EXPECT_EQ(shorter.end, ContentRead::End::Shorter);
    EXPECT_EQ(shorter.expectedBytes, 2000000u);
    EXPECT_EQ(shorter.bytesRead, 1500000u);
    EXPECT_FALSE(shorter.fingerprint);

    const ContentRead longer = read(disc, "grows.dat");
    EXPECT_EQ(longer.end, ContentRead::End::Longer);
    EXPECT_EQ(longer.expectedBytes, 2000000u);
    EXPECT_FALSE(longer.fingerprint);
}

TEST_F(FailingReads, ACrawlingDiscIsCancelledWithoutHanging) {
    put("slow.dat", RandomBytes(16 << 20, 7));
    const FailingMount disc(source.str(), {"delay=slow.dat@40"});
    ASSERT_TRUE(disc.mounted());
    const auto file = files.openForReading(disc / "slow.dat");
    ASSERT_TRUE(file);

    ContentRead result;
    const auto start = std::chrono::steady_clock::now();
    std::thread worker([&] { result = reader.read(*file); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    stop.request_stop();
    worker.join();
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(result.end, ContentRead::End::Cancelled);
    EXPECT_GT(result.bytesRead, 0u) << "the worker was reading when cancelled";
    EXPECT_LT(result.bytesRead, 16u << 20);
    // Forty ms for each of the kernel's requests would take seconds more to the end.
    EXPECT_LT(took, std::chrono::seconds(5));
}

TEST_F(FailingReads, RulesChangedWhileMountedTakeEffectAtTheNextOpening) {
    put("ageing.dat", RandomBytes(500000, 8));
    const FailingMount disc(source.str());
    ASSERT_TRUE(disc.mounted());
    EXPECT_EQ(read(disc, "ageing.dat").fingerprint, FingerprintOf(contents["ageing.dat"]));
    disc.setRules({"fail=/ageing.dat@4096-8192"});
    const ContentRead now = read(disc, "ageing.dat");
    EXPECT_EQ(now.end, ContentRead::End::Unreadable);
    EXPECT_EQ(now.bytesRead, 4096u);
}

// Members of an archive stored without compression, so a place in the archive file can be
// chosen inside one of them.
TEST_F(FailingReads, AnArchiveReadThroughABadPlaceKeepsThePackedFilesBeforeIt) {
    TempDir work;
    const std::string one = RandomBytes(400000, 9);
    const std::string two = "MARKER" + RandomBytes(400000, 10);
    const std::string three = RandomBytes(400000, 11);
    work.write("in/one.bin", one);
    work.write("in/two.bin", two);
    work.write("in/three.bin", three);
    ASSERT_EQ(std::system(("cd '" + work.str() +
                           "/in' && zip -q -0 ../pack.zip one.bin two.bin "
                           "three.bin")
                              .c_str()),
              0);
    const std::string zip = work.read("pack.zip");
    put("pack.zip", zip);
    const auto bad = zip.find("MARKER") + 1000;
    const FailingMount disc(
        source.str(), {"fail=pack.zip@" + std::to_string(bad) + "-" + std::to_string(bad + 4096)});
    ASSERT_TRUE(disc.mounted());

    const auto file = files.openForReading(disc / "pack.zip");
    ASSERT_TRUE(file);
    const ArchiveContents got = ReadArchiveContents(*file, counters, stop.get_token());
    EXPECT_EQ(got.end, ArchiveContents::End::Failed)
        << Worded(got.reason, Language::English) << " / "
        << Worded(got.file.reason, Language::English);
    EXPECT_EQ(got.file.end, ContentRead::End::Unreadable);
    EXPECT_EQ(Worded(got.file.reason, Language::English), ioError);
    EXPECT_EQ(got.file.bytesRead, bad);
    ASSERT_EQ(got.members.size(), 2u) << "the reading ends at the bad place";
    EXPECT_EQ(got.members[0].path, "one.bin");
    EXPECT_EQ(got.members[0].read.end, ContentRead::End::Read);
    EXPECT_EQ(got.members[0].read.fingerprint, FingerprintOf(one));
    EXPECT_EQ(got.members[1].path, "two.bin");
    EXPECT_EQ(got.members[1].read.end, ContentRead::End::Unreadable);
    EXPECT_EQ(Worded(got.members[1].read.reason, Language::English), ioError);
    EXPECT_EQ(got.members[1].read.bytesRead, 1000u) << "what unpacked before the bad place";
    EXPECT_FALSE(got.members[1].read.fingerprint);
    EXPECT_EQ(counters.files, 1u);
}

} // namespace
} // namespace orbisk
