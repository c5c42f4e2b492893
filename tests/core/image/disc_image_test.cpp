#include "archive/archive_reader.h"
#include "image/disc_image.h"
#include "linux_file_system.h"
#include "support/disc_images.h"
#include "support/image_tools.h"
#include "support/japanese_text.h"
#include "support/temp_dir.h"
#include "words.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <utime.h>

namespace orbisk {
namespace {

using namespace testing;

std::string bytesOf(ReadableFile& file) {
    std::string out(file.size(), '\0');
    EXPECT_EQ(file.read(0, out.data(), out.size()), out.size());
    return out;
}

void setDate(const std::filesystem::path& path, std::int64_t when) {
    const utimbuf times{static_cast<time_t>(when), static_cast<time_t>(when)};
    ASSERT_EQ(utime(path.c_str(), &times), 0);
}

// A disc's worth of files as a user burns them: nested folders, Japanese names, a name of
// 80 characters (more than Joliet's 64), an empty file, and dates of their own.
class ImageOfFolder : public ::testing::Test {
protected:
    TempDir dir;
    LinuxFileSystem files;
    std::string source = (dir / "source").string();
    std::string longName = std::string(76, 'n') + ".txt";

    void SetUp() override {
        dir.write("source/README.TXT", "hello\n");
        dir.write("source/Photos/2003/a.jpg", std::string(5000, 'j'));
        dir.write("source/Photos/2003/empty.dat", "");
        dir.write("source/長い名前のフォルダ/日本語ファイル名.txt", "にほんご\n");
        dir.write("source/docs/" + longName, std::string(70000, 'x'));
        setDate(dir / "source/README.TXT", 1049522828); // 2003-04-05 06:07:08 UTC
        setDate(dir / "source/Photos/2003/a.jpg", 946684799);
    }

    std::string make(const std::string& name, const std::string& options) {
        const std::string image = (dir / name).string();
        EXPECT_TRUE(RunQuietly("xorriso -as mkisofs " + options + " -V PHOTOS -o " + Quoted(image) +
                               " " + Quoted(source)));
        return image;
    }
};

TEST_F(ImageOfFolder, RockRidgeImageGivesTheSourceTreeAndItsBytes) {
    const auto image = DiscImage::Open(files, make("rr.iso", "-R -J -joliet-long"));
    EXPECT_EQ(image->kind(), DiscImage::Kind::Iso9660);
    EXPECT_FALSE(image->damage().any());
    EXPECT_EQ(FilesOf(image->tree()), FilesUnder(files, source))
        << "names, sizes and dates as the source folder has them";
    const auto jpg = image->tree().find("Photos/2003/a.jpg");
    ASSERT_TRUE(jpg);
    EXPECT_EQ(bytesOf(*image->openFile(*jpg)), std::string(5000, 'j'));
    const auto japanese = image->tree().find("長い名前のフォルダ/日本語ファイル名.txt");
    ASSERT_TRUE(japanese);
    EXPECT_EQ(bytesOf(*image->openFile(*japanese)), "にほんご\n");
    const auto empty = image->tree().find("Photos/2003/empty.dat");
    ASSERT_TRUE(empty);
    EXPECT_EQ(bytesOf(*image->openFile(*empty)), "");
    EXPECT_FALSE(image->openFile(*image->tree().find("Photos")));
}

// The same image mounted as a desktop mounts it: the walk must see what the image says.
TEST_F(ImageOfFolder, ImagesReadAsFuseisoShowsThemMounted) {
    for (const auto& [name, options] :
         {std::pair{"rrj.iso", "-R -J -joliet-long"}, std::pair{"rr.iso", "-R"}}) {
        const std::string image = make(name, options);
        const std::string mountPoint = (dir / "mnt").string();
        std::filesystem::create_directory(mountPoint);
        const FuseMount mounted(image, mountPoint);
        if (!mounted.mounted()) {
            GTEST_SKIP() << "fuseiso cannot mount here";
        }
        EXPECT_EQ(FilesOf(DiscImage::Open(files, image)->tree()), FilesUnder(files, mountPoint))
            << name;
    }
}

// Joliet alone (as Windows burning tools write): names in UTF-8, long ones whole.
TEST_F(ImageOfFolder, JolietNamesAreUtf8AndLongOnesWhole) {
    if (!HasProgram("genisoimage")) {
        GTEST_SKIP() << "no genisoimage";
    }
    const std::string image = (dir / "joliet.iso").string();
    ASSERT_TRUE(RunQuietly("genisoimage -J -joliet-long -input-charset utf-8 -V PHOTOS -o " +
                           Quoted(image) + " " + Quoted(source)));
    const auto read = DiscImage::Open(files, image);
    const auto want = FilesUnder(files, source);
    const auto got = FilesOf(read->tree());
    ASSERT_EQ(got.size(), want.size());
    for (const auto& [path, facts] : want) {
        ASSERT_TRUE(got.count(path)) << path;
        EXPECT_EQ(got.at(path).bytes, facts.bytes) << path;
    }
    EXPECT_TRUE(read->tree().find("docs/" + longName));
}

// Neither extension: the names a kernel mount shows (lower case, no version).
TEST_F(ImageOfFolder, PlainIsoNamesAreTheKernelsLowerCaseOnes) {
    if (!HasProgram("genisoimage")) {
        GTEST_SKIP() << "no genisoimage";
    }
    const std::string image = (dir / "plain.iso").string();
    ASSERT_TRUE(RunQuietly("genisoimage -input-charset utf-8 -V PHOTOS -o " + Quoted(image) + " " +
                           Quoted(source)));
    const auto read = DiscImage::Open(files, image);
    EXPECT_TRUE(read->tree().find("readme.txt"));
    EXPECT_TRUE(read->tree().find("photos/2003/a.jpg"));
    EXPECT_FALSE(read->tree().find("README.TXT"));
    const std::string mountPoint = (dir / "mnt").string();
    std::filesystem::create_directory(mountPoint);
    const FuseMount mounted(image, mountPoint);
    if (mounted.mounted()) {
        EXPECT_EQ(FilesOf(read->tree()), FilesUnder(files, mountPoint));
    }
}

// Names written by an old Japanese system: Rock Ridge keeps their bytes, and so must we.
TEST_F(ImageOfFolder, CodePage932NamesOfAJolietLessImageStayBytes) {
    const std::string sjis = "\x93\xfa\x96\x7b\x8c\xea.txt"; // 日本語.txt in code page 932
    std::filesystem::create_directories(dir / "cp932");
    std::ofstream(dir / "cp932" / sjis) << "sjis\n";
    source = (dir / "cp932").string();
    const auto read = DiscImage::Open(files, make("cp932.iso", "-R"));
    EXPECT_EQ(FilesOf(read->tree()), FilesUnder(files, source));
    EXPECT_TRUE(read->tree().find(sjis));
}

TEST_F(ImageOfFolder, VolumeIsWhatLibblkidSaysOfTheSameImage) {
    std::vector<std::string> images = {make("a.iso", "-R -J"), make("b.iso", "-R")};
    const std::string japanese = (dir / "japanese.iso").string();
    ASSERT_TRUE(RunQuietly("xorriso -as mkisofs -R -J -V '写真 2003 夏' -o " + Quoted(japanese) +
                           " " + Quoted(source)));
    images.push_back(japanese);
    if (HasProgram("genisoimage")) {
        const std::string bridge = (dir / "bridge.iso").string();
        ASSERT_TRUE(RunQuietly("genisoimage -udf -R -J -input-charset utf-8 -V UDFDISC -o " +
                               Quoted(bridge) + " " + Quoted(source)));
        images.push_back(bridge);
    }
    for (const std::string& image : images) {
        const auto probed = ProbeVolume(image);
        ASSERT_TRUE(probed) << image;
        const auto read = DiscImage::Open(files, image);
        EXPECT_EQ(read->volume().label, probed->label) << image;
        EXPECT_EQ(read->volume().uuid, probed->uuid) << image;
        EXPECT_EQ(read->volume().type, probed->type) << image;
    }
}

// Two discs burnt from one folder a day apart, and one with a file that grew: the label
// and paths agree, the volume or the walk tells them apart.
TEST_F(ImageOfFolder, SameLabelAndPathsButOtherContentIsAnotherDisc) {
    const std::string one = (dir / "one.iso").string();
    const std::string two = (dir / "two.iso").string();
    ASSERT_TRUE(MakeDiscImage(source, one, "PHOTOS", "20030601100000"));
    dir.write("source/README.TXT", "hello again\n");
    ASSERT_TRUE(MakeDiscImage(source, two, "PHOTOS", "20030601100000"));
    const auto first = DiscImage::Open(files, one);
    const auto second = DiscImage::Open(files, two);
    EXPECT_EQ(first->volume(), second->volume()) << "made at the same moment";
    EXPECT_NE(FilesOf(first->tree()), FilesOf(second->tree()));
    EXPECT_EQ(FilesOf(first->tree()).size(), FilesOf(second->tree()).size());
}

TEST_F(ImageOfFolder, MultiSessionImageShowsItsLastSession) {
    const std::string image = (dir / "multi.iso").string();
    const std::string cmd = "xorriso -dev " + Quoted(image) + " -volid MULTI ";
    ASSERT_TRUE(RunQuietly(cmd + "-map " + Quoted(source + "/README.TXT") + " /first.txt -commit"));
    ASSERT_TRUE(RunQuietly(cmd + "-map " + Quoted(source + "/Photos") +
                           " /Photos -rm /first.txt -- " + "-commit"));
    const auto read = DiscImage::Open(files, image);
    EXPECT_FALSE(read->tree().find("first.txt")) << "removed by the second session";
    const auto jpg = read->tree().find("Photos/2003/a.jpg");
    ASSERT_TRUE(jpg);
    EXPECT_EQ(bytesOf(*read->openFile(*jpg)), std::string(5000, 'j'));
    EXPECT_EQ(read->volume().uuid, ProbeVolume(image)->uuid);
}

// A BIN/CUE pair framed from the ISO's sectors gives the same disc, in both modes.
TEST_F(ImageOfFolder, BinAndCueInModeOneAndModeTwoReadAsTheIso) {
    const std::string iso = make("disc.iso", "-R -J");
    const auto want = DiscImage::Open(files, iso);
    for (const int mode : {1, 2}) {
        const std::string bin = (dir / ("disc" + std::to_string(mode) + ".bin")).string();
        const std::string cue = (dir / ("disc" + std::to_string(mode) + ".cue")).string();
        MakeBinCue(iso, bin, cue, mode);
        for (const std::string& path : {cue, bin}) {
            const auto read = DiscImage::Open(files, path);
            EXPECT_EQ(read->kind(), DiscImage::Kind::CdTracks);
            EXPECT_EQ(FilesOf(read->tree()), FilesOf(want->tree())) << path;
            EXPECT_EQ(read->volume(), want->volume());
            const auto big = read->tree().find("docs/" + longName);
            ASSERT_TRUE(big);
            EXPECT_EQ(bytesOf(*read->openFile(*big)), std::string(70000, 'x')) << path;
        }
        std::filesystem::remove(cue);
        try {
            DiscImage::Open(files, bin);
            ADD_FAILURE() << "a BIN without its cue sheet";
        } catch (const ImageError& error) {
            // Said in each front end's language, with why libcdio refused it.
            const std::string japanese = Worded(error.reason(), Language::Japanese);
            EXPECT_NE(japanese.find("CUEシートが必要です"), std::string::npos) << japanese;
            EXPECT_NE(japanese.find("（libcdio がイメージとして認めません。）"), std::string::npos)
                << japanese;
            const std::string english = Worded(error.reason(), Language::English);
            EXPECT_NE(english.find("CUE sheet"), std::string::npos) << english;
            EXPECT_FALSE(HasJapanese(english)) << english;
        }
    }
}

TEST_F(ImageOfFolder, MdfIsReadWhenItHoldsPlainSectorsAndRefusedWhenRaw) {
    const std::string iso = make("disc.iso", "-R -J");
    const std::string mdf = (dir / "disc.mdf").string();
    std::filesystem::copy_file(iso, mdf);
    EXPECT_EQ(FilesOf(DiscImage::Open(files, mdf)->tree()),
              FilesOf(DiscImage::Open(files, iso)->tree()));
    const std::string raw = (dir / "raw.mdf").string();
    MakeBinCue(iso, raw, (dir / "unused.cue").string(), 1);
    std::filesystem::remove(dir / "unused.cue");
    EXPECT_THROW(DiscImage::Open(files, raw), ImageError);
}

TEST_F(ImageOfFolder, ArchivesInAnImageAreListedAndTakenOutAsOnADisc) {
    ASSERT_TRUE(RunQuietly("cd " + Quoted(source) + " && zip -q -r inner.zip Photos README.TXT"));
    const auto read = DiscImage::Open(files, make("zip.iso", "-R -J"));
    const auto zip = read->tree().find("inner.zip");
    ASSERT_TRUE(zip);
    auto file = read->openFile(*zip);
    const MemberList list = ListMembers(*file);
    ASSERT_EQ(list.end, MemberList::End::Listed) << list.reason;
    ASSERT_EQ(list.members.size(), 3u);
    class Collect : public FileWriter {
    public:
        std::string bytes;
        bool committed = false;
        void write(std::string_view b) override { bytes += b; }
        void commit() override { committed = true; }
    } out;
    const auto jpeg =
        std::find_if(list.members.begin(), list.members.end(),
                     [](const ArchiveMember& m) { return m.path == "Photos/2003/a.jpg"; });
    ASSERT_NE(jpeg, list.members.end());
    ExtractMember(*file, {jpeg->ordinal, jpeg->path, jpeg->facts.bytes}, out);
    EXPECT_TRUE(out.committed);
    EXPECT_EQ(out.bytes, std::string(5000, 'j'));
}

TEST_F(ImageOfFolder, UdfBridgeIsReadAsUdfAndLaterUdfIsRefusedWithItsReason) {
    if (!HasProgram("genisoimage") || !HasProgram("mkudffs")) {
        GTEST_SKIP() << "no genisoimage or mkudffs";
    }
    const std::string bridge = (dir / "bridge.iso").string();
    ASSERT_TRUE(RunQuietly("genisoimage -udf -R -J -input-charset utf-8 -V UDFDISC -o " +
                           Quoted(bridge) + " " + Quoted(source)));
    const auto read = DiscImage::Open(files, bridge);
    EXPECT_EQ(read->kind(), DiscImage::Kind::Udf);
    const auto japanese = read->tree().find("長い名前のフォルダ/日本語ファイル名.txt");
    ASSERT_TRUE(japanese);
    EXPECT_EQ(bytesOf(*read->openFile(*japanese)), "にほんご\n");
    EXPECT_EQ(read->tree().node(*read->tree().find("README.TXT")).facts.modified, 1049522828);
    const auto jpg = read->tree().find("Photos/2003/a.jpg");
    ASSERT_TRUE(jpg);
    auto file = read->openFile(*jpg);
    std::string tail(10, '\0');
    EXPECT_EQ(file->read(4990, tail.data(), 10), 10u);
    EXPECT_EQ(bytesOf(*file), std::string(5000, 'j')) << "read again from its start";

    const std::string early = (dir / "early.udf").string();
    const std::string later = (dir / "later.udf").string();
    const std::string bluray = (dir / "bluray.udf").string();
    for (const auto& [image, options] : {std::pair{early, "--media-type=dvd --udfrev=0x0150"},
                                         std::pair{later, "--media-type=dvd --udfrev=0x0201"},
                                         std::pair{bluray, "--media-type=bdr --udfrev=0x0250"}}) {
        ASSERT_TRUE(RunQuietly("truncate -s 20M " + Quoted(image) + " && mkudffs " + options +
                               " --label=EMPTY " + Quoted(image)));
    }
    const auto empty = DiscImage::Open(files, early);
    EXPECT_EQ(empty->tree().size(), 1u);
    EXPECT_EQ(empty->volume().label, "EMPTY");
    EXPECT_EQ(empty->volume().uuid, ProbeVolume(early)->uuid);
    for (const std::string& image : {later, bluray}) {
        try {
            DiscImage::Open(files, image);
            ADD_FAILURE() << image;
        } catch (const ImageError& error) {
            EXPECT_EQ(error.reason(), (MessageLines{{MessageId::LaterUdf, {}}}));
        }
    }
}

// Damage: cut short, a flipped directory record, a folder that holds itself, random
// bytes. Each is refused or read as far as it goes, and said so; never a crash or a hang.
TEST_F(ImageOfFolder, DamagedImagesAreRefusedOrReadAsFarAsTheyGo) {
    const std::string iso = make("good.iso", "-R -J");
    std::ifstream in(iso, std::ios::binary);
    const std::string good((std::istreambuf_iterator<char>(in)), {});
    const auto write = [this](const std::string& name, const std::string& bytes) {
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    };
    EXPECT_THROW(DiscImage::Open(files, write("header.iso", good.substr(0, 40000))), ImageError);
    EXPECT_THROW(DiscImage::Open(files, write("nothing.iso", "")), ImageError);
    EXPECT_THROW(DiscImage::Open(files, write("text.iso", std::string(100000, 'x'))), ImageError);

    // The root directory's extent, from the primary descriptor's root record.
    const auto le32 = [](const std::string& b, std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
    };
    const std::size_t root = std::size_t{le32(good, 16 * 2048 + 156 + 2)} * 2048;
    const auto recordOf = [&](const std::string& bytes, const std::string& name) {
        const std::size_t at = bytes.find(name, root);
        return at - 33; // the name follows the record's 33 fixed bytes
    };
    // The folder "Photos" pointed at the root itself: a loop.
    std::string looped = good;
    const std::size_t photos = recordOf(looped, "PHOTOS");
    for (std::size_t i = 0; i < 8; ++i) {
        looped[photos + 2 + i] = good[root + 2 + i]; // "." of the root: its own extent
    }
    try {
        DiscImage::Open(files, write("loop.iso", looped));
        ADD_FAILURE() << "a folder that holds itself";
    } catch (const ImageError& error) {
        EXPECT_NE(std::string(error.what()).find("loop"), std::string::npos) << error.what();
    }

    // A file's extent far beyond the image's end.
    std::string far = good;
    const std::size_t readme = recordOf(far, "README.TXT");
    for (const std::size_t at : {readme + 5, readme + 6}) {
        far[at] = '\x7f';
    }
    // libarchive reads every folder before any file, and stops at a record it cannot
    // take: the image is refused with its reason.
    try {
        DiscImage::Open(files, write("far.iso", far));
        ADD_FAILURE() << "a file beyond the image's end";
    } catch (const ImageError& error) {
        const std::string said = Worded(error.reason(), Language::Japanese);
        EXPECT_NE(said.find("extent"), std::string::npos) << said;
    }

    // Cut in the middle of the files: the listing is whole, the files past the cut unreadable.
    const std::size_t xs = good.find(std::string(4096, 'x'));
    ASSERT_NE(xs, std::string::npos);
    const auto cut = DiscImage::Open(files, write("cut.iso", good.substr(0, xs + 500)));
    EXPECT_GE(cut->damage().unreadable, 1);
    EXPECT_FALSE(cut->tree().find("docs/" + longName));
    EXPECT_TRUE(cut->damage().endedEarly ||
                FilesOf(cut->tree()).size() + static_cast<std::size_t>(cut->damage().unreadable) ==
                    FilesUnder(files, source).size())
        << "each file read or counted, or the listing said to end early";
    for (const auto& [path, facts] : FilesOf(cut->tree())) {
        EXPECT_EQ(bytesOf(*cut->openFile(*cut->tree().find(path))).size(), facts.bytes) << path;
    }

    std::mt19937 random(29);
    for (int round = 0; round < 200; ++round) {
        std::string bytes = good;
        for (int flips = 0; flips < 8; ++flips) {
            bytes[root + random() % (good.size() - root > 8192 ? 8192 : good.size() - root)] =
                static_cast<char>(random());
        }
        try {
            const auto read = DiscImage::Open(files, write("random.iso", bytes));
            for (ImageTree::Index i = 1; i < read->tree().size(); ++i) {
                if (auto file = read->openFile(i)) {
                    std::string some(std::min<std::uint64_t>(file->size(), 4096), '\0');
                    file->read(0, some.data(), some.size());
                }
            }
        } catch (const FileError&) {
        }
    }
}

} // namespace
} // namespace orbisk
