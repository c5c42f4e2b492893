#include "commands.h"
#include "image/image_file_system.h"
#include "support/archive_writer.h"
#include "support/command_line_fixture.h"
#include "support/disc_images.h"
#include "support/japanese_text.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

using testing::HasJapanese;

// orbisk-cli on a real folder tree, a disc image seen as a drive.
class CommandLineTest : public testing::CommandLineFixture {
protected:
    ImageFileSystem images{machine}; // as orbisk-cli sees them: an image file is a drive

    FileSystem& files() override { return images; }

    void SetUp() override {
        dir.write("disc/notes.txt", "notes");
        dir.write("disc/docs/readme.txt", "readme");
        dir.write("disc/docs/report.doc", "report");
        std::filesystem::create_directories(dir / "empty");
    }

    Said add(const std::string& folder, const std::string& title, Language language,
             bool yes = false) {
        std::vector<std::string> arguments{"add", (dir / folder).string(), "--title", title};
        if (yes) {
            arguments.push_back("--yes");
        }
        return run(arguments, language);
    }
};

TEST_F(CommandLineTest, WrongLinesAreToldWithTheUsageInTheRunsLanguage) {
    const std::vector<std::vector<std::string>> wrongLines{
        {"frobnicate"},       {"--bogus"},     {"titles", "--title"}, {"find"},
        {"titles", "--json"}, {"add", "disc"}, {"--help=yes"},        {}};
    for (const auto& line : wrongLines) {
        const Said english = runBare(line, Language::English);
        EXPECT_EQ(english.status, Usage);
        EXPECT_TRUE(english.out.empty());
        EXPECT_NE(english.err.find("\n\nUsage: orbisk-cli"), std::string::npos) << english.err;
        EXPECT_FALSE(HasJapanese(english.err)) << english.err;

        const Said japanese = runBare(line, Language::Japanese);
        EXPECT_EQ(japanese.status, Usage);
        EXPECT_NE(japanese.err.find("\n\n使い方: orbisk-cli"), std::string::npos) << japanese.err;
        EXPECT_EQ(japanese.err.find("Usage"), std::string::npos) << japanese.err;
    }
    EXPECT_TRUE(runBare({"frobnicate"}, Language::Japanese)
                    .err.starts_with("コマンド「frobnicate」はありません。\n"));
    EXPECT_EQ(runBare({"frobnicate"}, Language::English).err.substr(0, 30),
              "Unknown command 'frobnicate'.\n");
    // A word after "--" is no option, even when it looks like one.
    EXPECT_EQ(runBare({"--", "--help"}, Language::English).err.substr(0, 26),
              "Unknown command '--help'.\n");
}

TEST_F(CommandLineTest, HelpNamesEveryCommandAndTheCatalogueInEitherLanguage) {
    const Said english = run({"--help"});
    const Said japanese = run({"-h"}, Language::Japanese);
    const Said equals = runBare({"--catalog=" + catalog.string(), "--help"}, Language::English);
    EXPECT_EQ(english.status, Done);
    EXPECT_EQ(equals.out, english.out);
    EXPECT_FALSE(HasJapanese(english.out)) << english.out;
    for (const Command* command : Commands()) {
        EXPECT_NE(english.out.find("  " + std::string(command->name)), std::string::npos);
        EXPECT_NE(japanese.out.find("  " + std::string(command->name)), std::string::npos);
    }
    EXPECT_TRUE(english.out.ends_with("\nCatalogue in use: " + catalog.string() + "\n"));
    EXPECT_TRUE(japanese.out.ends_with("\n使用中のカタログ: " + catalog.string() + "\n"));
    EXPECT_EQ(run({"--version"}, Language::Japanese).out.substr(0, 11), "orbisk-cli ");
}

TEST_F(CommandLineTest, AddFindListAndExportSayEveryLineInOneLanguage) {
    const Said added = add("disc", "Disc 1", Language::English);
    EXPECT_EQ(added.status, Done);
    EXPECT_EQ(added.err, "Done.\n");

    const Said found = run({"find", "*.txt"});
    EXPECT_EQ(found.status, Done);
    EXPECT_EQ(found.out, (dir / "disc/notes.txt").string() + "\tDisc 1\n" +
                             (dir / "disc/docs/readme.txt").string() + "\tDisc 1\n");
    EXPECT_EQ(run({"find", "*.doc", "--title", "disc 1", "-0"}).out,
              (dir / "disc/docs/report.doc").string() + '\0' + "Disc 1" + '\0' + '\0');
    EXPECT_EQ(run({"titles"}).out, "Disc 1\n");
    EXPECT_EQ(run({"discs"}).out.substr(0, 13), "Disc 1\t1\t3\t0\t");
    EXPECT_NE(run({"export", "-"}).out.find("notes.txt,Disc 1,notes.txt,txt,"), std::string::npos);

    // The same disc again: a question, answered no unless the line said yes, in the
    // run's language.
    const Said again = add("disc", "Other", Language::English);
    EXPECT_EQ(again.status, Refused);
    EXPECT_EQ(again.err, "This disc is registered as \"Disc 1\". Register it again? -> no "
                         "(--yes answers yes)\n");
    const Said inJapanese = add("disc", "Other", Language::Japanese);
    EXPECT_EQ(inJapanese.err, "このディスクは「Disc 1」として登録済みです。もう一度登録しますか？ "
                              "→ いいえ(--yes で「はい」)\n");
    EXPECT_EQ(add("disc", "Other", Language::English, true).status, Done);

    const Said all = add("disc", "ALL", Language::English);
    EXPECT_EQ(all.status, Refused);
    EXPECT_EQ(all.err, "\"ALL\" stands for every title and cannot name a disc.\n");
    const Said empty = add("empty", "Empty", Language::English);
    EXPECT_EQ(empty.status, NothingToAdd);
    EXPECT_TRUE(empty.err.empty()) << empty.err;
}

// An image that cannot be read is told in the run's language, alone or among others.
TEST_F(CommandLineTest, UnreadableImagesAreToldInTheRunsLanguage) {
    dir.write("images/junk.iso", std::string(64 * 1024, 'j'));
    dir.write("images/half.iso", std::string(40000, '\0'));
    for (const std::string image : {"images/junk.iso", "images/half.iso"}) {
        const Said english = add(image, "T", Language::English);
        EXPECT_NE(english.status, Done) << image;
        EXPECT_FALSE(english.err.empty()) << image;
        EXPECT_FALSE(HasJapanese(english.err)) << image << ": " << english.err;
        EXPECT_TRUE(HasJapanese(add(image, "T", Language::Japanese).err)) << image;
    }
    const Said all = run({"add-images", (dir / "images").string()});
    EXPECT_FALSE(HasJapanese(all.out + all.err)) << all.out << all.err;
    EXPECT_NE(all.out.find("unreadable"), std::string::npos) << all.out;
}

TEST_F(CommandLineTest, AnUnreadableCatalogueIsToldInEitherLanguage) {
    // A folder named as the catalogue, and a file that is no catalogue.
    dir.write("plain.mdb", "not a catalogue, just text");
    for (const std::string& file : {(dir / "disc").string(), (dir / "plain.mdb").string()}) {
        for (const char* command : {"titles", "discs", "index"}) {
            const Said said = runBare({"--catalog", file, command}, Language::English);
            EXPECT_EQ(said.status, Failed) << command;
            EXPECT_FALSE(said.err.empty()) << command;
            EXPECT_FALSE(HasJapanese(said.err)) << command << ": " << said.err;
        }
    }
    const Said missing =
        runBare({"--catalog", (dir / "none.mdb").string(), "find", "x"}, Language::English);
    EXPECT_EQ(missing.status, Failed);
    EXPECT_EQ(missing.err, "The catalogue could not be opened.\n" + (dir / "none.mdb").string() +
                               "\nThere is no such file.\n");
    const Said japanese =
        runBare({"--catalog", (dir / "none.mdb").string(), "titles"}, Language::Japanese);
    EXPECT_EQ(japanese.err, "カタログを開けませんでした。\n" + (dir / "none.mdb").string() +
                                "\nファイルがありません。\n");
    const Said unwritable = run({"export", (dir / "no/such/folder.csv").string()});
    EXPECT_EQ(unwritable.status, Failed);
    EXPECT_TRUE(unwritable.err.starts_with("The CSV file could not be written.\n"))
        << unwritable.err;
    EXPECT_FALSE(HasJapanese(unwritable.err)) << unwritable.err;
}

// copy takes each hit from its disc where that disc is at hand now (a folder-backed disc,
// an image at its place), checks disc and file as COPY does, and names what it could not
// reach and why, never asking.
TEST_F(CommandLineTest, CopyTakesWhatIsAtHandAndNamesWhatIsNot) {
    dir.write("photos/DCIM/a.txt", "alpha");
    dir.write("photos/b.txt", std::string(5000, 'b'));
    dir.write("gone/c.txt", "gamma");
    std::filesystem::create_directories(dir / "isos");
    const std::string photos = (dir / "isos/PHOTOS.iso").string();
    const std::string gone = (dir / "isos/GONE.iso").string();
    ASSERT_TRUE(testing::MakeDiscImage(dir.str() + "/photos", photos, "PHOTOS", "20030601100000"));
    ASSERT_TRUE(testing::MakeDiscImage(dir.str() + "/gone", gone, "GONE", "20040601100000"));
    ASSERT_EQ(add("disc", "Disc 1", Language::English).status, Done);
    ASSERT_EQ(run({"add", photos, "--title", "Photos"}).status, Done);
    ASSERT_EQ(run({"add", gone, "--title", "Gone"}).status, Done);
    std::filesystem::rename(gone, dir / "elsewhere.iso");
    std::filesystem::create_directories(dir / "out");
    const std::string out = (dir / "out").string();
    const std::string notes = (dir / "disc/notes.txt").string();
    const std::string readme = (dir / "disc/docs/readme.txt").string();

    const Said copied = run({"copy", "*.txt", "--to", out, "--log", (dir / "copy.log").string()});
    EXPECT_EQ(copied.status, NotAllCopied);
    // In the catalogue's order, disc after disc.
    EXPECT_EQ(copied.out, notes + "\tcopied\tDisc 1\n" + readme + "\tcopied\tDisc 1\n" + photos +
                              "/b.txt\tcopied\tPhotos\n" + photos +
                              "/DCIM/a.txt\tcopied\tPhotos\n" + gone +
                              "/c.txt\tnot-reached\tGone\n");
    EXPECT_EQ(copied.err,
              "The image file \"" + gone +
                  "\" of \"Gone\" is not at its place.\nGone: 1 file(s) not reached.\n");
    EXPECT_EQ(dir.read("out/a.txt"), "alpha");
    EXPECT_EQ(dir.read("out/b.txt"), std::string(5000, 'b'));
    EXPECT_EQ(dir.read("out/readme.txt"), "readme");
    EXPECT_FALSE(std::filesystem::exists(dir / "out/c.txt"));
    // The log is the windows' log: each file handled, then the result, CR LF-ended.
    const std::string normal = "\r\n***Copy Normal End\r\n";
    EXPECT_EQ(dir.read("copy.log"), notes + normal + readme + normal + photos + "/b.txt" + normal +
                                        photos + "/DCIM/a.txt" + normal + "\r\n");
    const Said japanese = run({"copy", "c.txt", "--to", out}, Language::Japanese);
    EXPECT_EQ(japanese.err,
              "「Gone」のイメージファイル「" + gone +
                  "」が見つかりません。\n「Gone」のファイル 1 件に届きませんでした。\n");
    EXPECT_EQ(run({"copy", "*.txt", "--title", "disc 1", "--to", out}).status, Done);

    // A file changed on its disc since it was registered is not copied; the log says why.
    dir.write("disc/docs/readme.txt", "a longer readme than the one registered");
    const Said changed = run({"copy", "readme.txt", "--to", out, "--log", dir.str() + "/2.log"});
    EXPECT_EQ(changed.status, NotAllCopied);
    EXPECT_EQ(changed.out, readme + "\tnot-copied\tDisc 1\n");
    EXPECT_NE(dir.read("2.log").find("***Copy Error: "), std::string::npos);
    EXPECT_EQ(dir.read("out/readme.txt"), "readme");

    // Another image under the registered one's name is not the disc, though it has its label.
    dir.write("twin/DCIM/a.txt", "not alpha");
    std::filesystem::remove(photos);
    ASSERT_TRUE(testing::MakeDiscImage(dir.str() + "/twin", photos, "PHOTOS", "20030601100000"));
    std::filesystem::create_directories(dir / "out2");
    const Said wrong = run({"copy", "a.txt", "--to", (dir / "out2").string()});
    EXPECT_EQ(wrong.status, NotAllCopied);
    EXPECT_EQ(wrong.out, photos + "/DCIM/a.txt\tnot-reached\tPhotos\n");
    EXPECT_EQ(wrong.err, "This disc is not \"Photos\".\nPhotos: 1 file(s) not reached.\n");
    EXPECT_TRUE(std::filesystem::is_empty(dir / "out2"));

    // A folder that takes no file is said before anything is looked for.
    for (const std::string& target : {notes, dir.str() + "/missing"}) {
        const Said refused = run({"copy", "*.txt", "--to", target});
        EXPECT_EQ(refused.status, Failed);
        EXPECT_TRUE(refused.out.empty());
        EXPECT_TRUE(refused.err.starts_with("The folder " + target + " cannot be written: "))
            << refused.err;
        EXPECT_FALSE(HasJapanese(refused.err)) << refused.err;
    }
    EXPECT_EQ(run({"copy", "*.txt"}).status, Usage) << "--to is required";
}

// Two files packed in one archive share the archive's path: each line of copy names its
// own path in the archive, so a script can tell which was copied.
TEST_F(CommandLineTest, CopyTellsPackedFilesOfOneArchiveApart) {
    std::filesystem::create_directories(dir / "zips");
    testing::WriteArchive(dir / "zips/pack.zip", {{"a/one.txt", "one"}, {"b/two.txt", "two"}});
    ASSERT_EQ(add("zips", "Zips", Language::English).status, Done);
    std::filesystem::create_directories(dir / "out");
    const std::string zip = (dir / "zips/pack.zip").string();
    const Said copied = run({"copy", "*.txt", "--title", "Zips", "--to", (dir / "out").string()});
    EXPECT_EQ(copied.status, Done) << copied.err;
    EXPECT_EQ(copied.out,
              zip + "\tcopied\tZips\ta/one.txt\n" + zip + "\tcopied\tZips\tb/two.txt\n");
    EXPECT_EQ(dir.read("out/two.txt"), "two");
}

// Whether a disc that is gone was an image file is what its registration found, not what
// its name says: a folder named like an image is asked for as a disc, and an image whose
// name says nothing is asked for as the image file it was.
TEST_F(CommandLineTest, AGoneDiscIsAnImageOnlyWhereItWasOne) {
    dir.write("folder.iso/f.txt", "folder");
    dir.write("image/i.txt", "image");
    const std::string image = (dir / "disc.raw").string();
    ASSERT_TRUE(testing::MakeDiscImage(dir.str() + "/image", image, "RAW", "20050601100000"));
    ASSERT_EQ(add("folder.iso", "Folder", Language::English).status, Done);
    ASSERT_EQ(run({"add", image, "--title", "Raw"}).status, Done);
    std::filesystem::create_directories(dir / "out");
    const std::string out = (dir / "out").string();
    ASSERT_EQ(run({"copy", "*.txt", "--to", out}).status, Done) << "both at their places";

    std::filesystem::rename(dir / "folder.iso", dir / "moved");
    std::filesystem::rename(image, dir / "moved.raw");
    const Said gone = run({"copy", "*.txt", "--to", out});
    EXPECT_EQ(gone.status, NotAllCopied);
    EXPECT_EQ(gone.err, "The disc Folder is not ready.\nFolder: 1 file(s) not reached.\n"
                        "The image file \"" +
                            image +
                            "\" of \"Raw\" is not at its place.\nRaw: 1 file(s) not reached.\n");

    // A file at the image's place that is no image is not said to be gone.
    dir.write("disc.raw", "not an image");
    const Said junk = run({"copy", "i.txt", "--to", out}, Language::Japanese);
    EXPECT_EQ(junk.err, "「Raw」のイメージファイル「" + image +
                            "」を読めません。\n「Raw」のファイル 1 件に届きませんでした。\n");
}

} // namespace
} // namespace orbisk
