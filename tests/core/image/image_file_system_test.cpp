#include "catalog/catalog.h"
#include "catalog/disc_records.h"
#include "copy/copy_files.h"
#include "copy_log_text.h"
#include "image/disc_image.h"
#include "image/image_file_system.h"
#include "linux_file_system.h"
#include "media/disc_check.h"
#include "registration/register_disc.h"
#include "search/find_files.h"
#include "support/catalog_rows.h"
#include "support/disc_images.h"
#include "support/image_tools.h"
#include "support/recording_views.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

using namespace testing;

// An image file on the disk, seen through the machine's files with images as drives, and
// a catalogue to register it in with the tray, the dialogs and the windows recorded.
class ImageAsDrive : public ::testing::Test {
protected:
    TempDir dir;
    std::string image = (dir / "isos/PHOTOS.iso").string();
    LinuxFileSystem machine;
    ImageFileSystem files{machine};
    std::filesystem::path catalog = newCatalog(dir);
    Transcript transcript;
    RecordingTray tray{transcript};
    ScriptedDialogs dialogs{transcript};
    FixedClock clock;
    CommaNumberFormat numbers;
    RecordingRegisterSink sink{transcript};
    RecordingCopySink copyWindow{transcript};
    Platform platform{files, tray, dialogs, clock, numbers};

    void SetUp() override {
        dir.write("source/README.TXT", "hello\n");
        dir.write("source/DCIM/a.jpg", std::string(3000, 'a'));
        dir.write("source/DCIM/b.JPG", "b");
        dir.write("source/DCIM/2003/c.jpg", "c");
        std::filesystem::create_directories(dir / "isos");
        ASSERT_TRUE(MakeDiscImage((dir / "source").string(), image, "PHOTOS", "20030601100000"));
    }
};

TEST_F(ImageAsDrive, PathsInTheImageAreItsPathThenThePathInside) {
    EXPECT_EQ(files.walkPattern(image), image + "/*.*");
    EXPECT_TRUE(files.isDriveReady(image));
    EXPECT_EQ(files.driveOfPath(image + "/DCIM/a.jpg"), image);
    EXPECT_TRUE(files.isPresentFile(image + "/DCIM/a.jpg"));
    EXPECT_FALSE(files.isPresentFile(image + "/DCIM"));
    EXPECT_FALSE(files.isPresentFile(image + "/DCIM/none.jpg"));
    EXPECT_EQ(files.fileFacts(image + "/DCIM/a.jpg").bytes, 3000u);
    EXPECT_THROW(files.fileFacts(image + "/none"), FileError);
    const auto volume = files.volumeOf(image);
    ASSERT_TRUE(volume);
    EXPECT_EQ(*volume, *ProbeVolume(image));
    const auto listing = files.listFolder(image + "/DCIM/", "*.jpg");
    ASSERT_TRUE(listing);
    EXPECT_EQ(listing->files, (std::vector<std::string>{"a.jpg", "b.JPG"}))
        << "the listing's wildcards, letter case ignored";
    ASSERT_EQ(listing->subfolders.size(), 1u);
    EXPECT_EQ(listing->subfolders[0].name, "2003");
    EXPECT_EQ(listing->subfolders[0].identity.device, listing->identity.device);
    EXPECT_NE(listing->subfolders[0].identity, listing->identity);
    const auto held = files.openFolder(image + "/DCIM");
    ASSERT_TRUE(held);
    EXPECT_EQ(held->fileFacts("b.JPG").bytes, 1u);
    EXPECT_THROW(held->fileFacts("2003"), FileError);
    // The machine's own files are still its own.
    EXPECT_EQ(files.fileFacts((dir / "source/README.TXT").string()).bytes, 6u);
    EXPECT_TRUE(files.listFolder(dir.str() + "/source/", ""));
    EXPECT_EQ(FilesUnder(files, image), FilesUnder(machine, (dir / "source").string()));
}

TEST_F(ImageAsDrive, AGoneOrReplacedImageIsNoLongerTheDisc) {
    const std::string path = image + "/DCIM/a.jpg";
    ASSERT_TRUE(files.isPresentFile(path));
    std::filesystem::rename(image, dir / "isos/moved.iso");
    EXPECT_FALSE(files.isDriveReady(image));
    EXPECT_FALSE(files.isPresentFile(path));
    EXPECT_FALSE(files.listFolder(image + "/", ""));
    EXPECT_FALSE(files.openForReading(path));
    EXPECT_THROW(files.fileFacts(path), FileError);
    EXPECT_EQ(files.driveOfPath(path), image) << "named for the question, though gone";

    // Another image put in its place is read anew.
    dir.write("other/README.TXT", "other\n");
    ASSERT_TRUE(MakeDiscImage((dir / "other").string(), image, "OTHER", "20040101000000"));
    EXPECT_TRUE(files.isDriveReady(image));
    EXPECT_FALSE(files.isPresentFile(path));
    EXPECT_EQ(files.volumeOf(image)->label, "OTHER");
    EXPECT_EQ(files.fileFacts(image + "/README.TXT").bytes, 6u);

    // Not an image at all.
    dir.write("isos/notes.iso", "just text");
    const std::string notes = (dir / "isos/notes.iso").string();
    EXPECT_FALSE(files.isDriveReady(notes));
    MessageLines reason;
    EXPECT_FALSE(files.imageOf(notes + "/x", &reason));
    EXPECT_FALSE(reason.empty());
}

// ADD, FIND and COPY run unchanged with the image as the drive: no mount, no question, no
// tray moved.
TEST_F(ImageAsDrive, AnImageIsRegisteredFoundAndCopiedBackAsADisc) {
    ASSERT_EQ(RegisterDisc(platform, catalog, image, "Photos 2003", sink),
              Registration::Registered);
    const Search search = SearchCatalog(catalog, nullptr, "*.jpg", "ALL");
    ASSERT_EQ(search.hits.size(), 3u);
    EXPECT_EQ(search.hits[0].path.rfind(image + "/", 0), 0u) << search.hits[0].path;

    EXPECT_TRUE(transcript.only("tray").empty()) << "no tray is moved for an image";
    std::filesystem::create_directory(dir / "out");
    transcript.lines.clear();
    const CopyRun run =
        CopyFiles(platform, catalog, search.hits, {0, 1, 2}, (dir / "out").string(), copyWindow);
    EXPECT_EQ(run.end, CopyRun::End::Done);
    EXPECT_EQ(CopyLogText(run.log).find("Error"), std::string::npos) << CopyLogText(run.log);
    EXPECT_EQ(dir.read("out/a.jpg"), std::string(3000, 'a'));
    EXPECT_EQ(dir.read("out/c.jpg"), "c");
    EXPECT_TRUE(transcript.only("tray").empty());
    EXPECT_TRUE(transcript.only("message").empty()) << "the image at its place is not asked for";

    // An image gone from its place is asked for by its title, as a disc is.
    std::filesystem::rename(image, dir / "isos/moved.iso");
    dialogs.answers = {Answer::Cancel};
    EXPECT_EQ(
        CopyFiles(platform, catalog, search.hits, {0}, (dir / "out").string(), copyWindow).end,
        CopyRun::End::Cancelled);
    EXPECT_EQ(transcript.only("message").size(), 1u);
    std::filesystem::rename(dir / "isos/moved.iso", image);

    // The same image is the disc registered; another with the same label is not.
    EXPECT_EQ(TitleOfDiscIn(catalog, files, image), "Photos 2003");
    dir.write("other/DCIM/a.jpg", "another disc");
    const std::string other = (dir / "isos/OTHER.iso").string();
    ASSERT_TRUE(MakeDiscImage((dir / "other").string(), other, "PHOTOS", "20040601100000"));
    EXPECT_FALSE(TitleOfDiscIn(catalog, files, other));
    // Nor is one made the same hundredth of a second under the same label: the ISO 9660
    // UUID is that time, and only the content tells the two apart.
    const std::string twin = (dir / "isos/TWIN.iso").string();
    ASSERT_TRUE(MakeDiscImage((dir / "other").string(), twin, "PHOTOS", "20030601100000"));
    ASSERT_EQ(files.volumeOf(twin), files.volumeOf(image));
    EXPECT_FALSE(TitleOfDiscIn(catalog, files, twin));
}

// A folder named like an image is a disc, and an image whose name says nothing is an
// image: what is there tells while it is there, what its registration found once it is
// gone. The folder's disc moves the tray and is asked for as a disc; the image is asked
// for by its path.
TEST_F(ImageAsDrive, WhatADriveIsDoesNotGoByItsName) {
    dir.write("folder.iso/f.txt", "folder");
    const std::string folder = (dir / "folder.iso").string();
    const std::string raw = (dir / "isos/disc.raw").string();
    std::filesystem::copy_file(image, raw);
    EXPECT_FALSE(IsImageDrive(files, folder, std::nullopt)) << "a folder, though so named";
    EXPECT_FALSE(IsImageDrive(files, folder, false));
    EXPECT_TRUE(IsImageDrive(files, raw, std::nullopt));
    EXPECT_TRUE(IsImageDrive(files, raw, false)) << "a file there is no disc";
    EXPECT_TRUE(IsImageDrive(files, image, std::nullopt));
    files.listFolder(image + "/DCIM/", ""); // opened and kept: still a file of the machine
    EXPECT_TRUE(IsImageDrive(files, image, std::nullopt));
    EXPECT_TRUE(files.isPresentFile(image));

    ASSERT_EQ(RegisterDisc(platform, catalog, folder, "Folder", sink), Registration::Registered);
    EXPECT_FALSE(transcript.only("tray").empty()) << "a folder's registration closes the tray";
    transcript.lines.clear();
    ASSERT_EQ(RegisterDisc(platform, catalog, raw, "Raw", sink), Registration::Registered);
    EXPECT_TRUE(transcript.only("tray").empty()) << "an image's registration moves no tray";
    {
        Catalog opened(catalog);
        const auto records = ReadDiscRecords(opened, std::nullopt, false);
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[0].image, false);
        EXPECT_EQ(records[1].image, true);
    }

    std::filesystem::rename(folder, dir / "moved");
    std::filesystem::rename(raw, dir / "moved.raw");
    EXPECT_FALSE(IsImageDrive(files, folder, false));
    EXPECT_TRUE(IsImageDrive(files, raw, true));
    EXPECT_TRUE(IsImageDrive(files, folder, std::nullopt)) << "without a record, the name";
    EXPECT_FALSE(IsImageDrive(files, raw, std::nullopt));
    std::filesystem::create_directory(dir / "out");
    for (const std::string title : {"Folder", "Raw"}) {
        transcript.lines.clear();
        dialogs.answers = {Answer::Cancel};
        const Search search = SearchCatalog(catalog, nullptr, "*.*", title);
        ASSERT_FALSE(search.hits.empty());
        EXPECT_EQ(
            CopyFiles(platform, catalog, search.hits, {0}, (dir / "out").string(), copyWindow).end,
            CopyRun::End::Cancelled);
        const auto asked = transcript.only("message");
        ASSERT_EQ(asked.size(), 1u);
        if (title == "Folder") {
            EXPECT_NE(asked[0].find(": Folderのメディアをセットして下さい。"), std::string::npos)
                << asked[0];
            EXPECT_FALSE(transcript.only("tray").empty()) << "the tray opens for the disc";
        } else {
            EXPECT_NE(asked[0].find("「Raw」のイメージファイル「" + raw + "」が見つかりません。"),
                      std::string::npos)
                << asked[0];
            EXPECT_TRUE(transcript.only("tray").empty());
        }
    }
}

} // namespace
} // namespace orbisk
