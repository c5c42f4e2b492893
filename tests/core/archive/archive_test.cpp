#include "archive/archive_reader.h"
#include "catalog/catalog.h"
#include "copy/copy_files.h"
#include "copy_log_text.h"
#include "edit/disc_store.h"
#include "edit/edit_commands.h"
#include "registration/register_disc.h"
#include "search/find_files.h"
#include "search/name_index.h"
#include "support/archive_bomb.h"
#include "support/archive_writer.h"
#include "support/catalog_rows.h"
#include "support/disc_images.h"
#include "support/lzh_writer.h"
#include "support/real_folders_fixture.h"
#include "support/shell.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>

namespace orbisk {
namespace {

using namespace testing;

const std::string Sjis = "\x83\x65\x83\x58\x83\x67"; // "テスト" in code page 932
// The date of every member of the archives the tests write.
constexpr std::time_t PackedDate = 1070000000;

class Archives : public RealFoldersFixture {
protected:
    std::string disc = (dir / "disc").string();

    // Archives of every kind the Debian tools make, with a name from an old Japanese
    // system among the members.
    void makeArchives(const std::string& folder) {
        const std::string source = (dir / "source").string();
        dir.write("source/docs/readme.txt", "readme in a zip\n");
        dir.write("source/" + Sjis + ".txt", "test\n");
        dir.write("source/setup.ini", "[setup]\n");
        ASSERT_TRUE(RunQuietly("cd '" + source + "' && zip -q -r '" + folder + "/docs.zip' docs " +
                               Sjis + ".txt"));
        std::ofstream(folder + "/old.lzh", std::ios::binary)
            << StoredLzh({{Sjis + "2.txt", "lzh test\n"}, {"docs\\lzhnote.txt", "note\n"}});
        ASSERT_TRUE(RunQuietly("cd '" + source + "' && 7z a -bd '" + folder + "/pack.7z' docs"));
        ASSERT_TRUE(
            RunQuietly("cd '" + source + "' && gcab -c '" + folder + "/setup.cab' setup.ini"));
        ASSERT_TRUE(RunQuietly("tar czf '" + folder + "/src.tar.gz' -C '" + source + "' docs"));
        // An archive inside an archive is a member like any other.
        ASSERT_TRUE(RunQuietly("cd '" + folder + "' && zip -q nested.zip docs.zip"));
        // A zip named as a program, found by its content.
        std::filesystem::copy_file(folder + "/docs.zip", folder + "/install.exe");
        std::ofstream(folder + "/damaged.zip") << "PK\x03\x04 this is not the rest of a zip";
        std::ofstream(folder + "/plain.txt") << "no archive\n";
    }
    Registration add(const std::string& drive, const std::string& title) {
        return RegisterDisc(platform, catalog, drive, title, sink);
    }
    Lines lines(const std::string& key, const NameIndex* index = nullptr) {
        Lines out;
        for (const Hit& hit : SearchCatalog(catalog, index, key, "ALL").hits) {
            out.push_back(HitLine(hit));
        }
        return out;
    }
};

TEST_F(Archives, EveryKindIsListedByItsContentAndFoundLikeFiles) {
    std::filesystem::create_directories(disc);
    makeArchives(disc);
    ASSERT_EQ(add(disc, "Archives"), Registration::Registered);
    const auto said = transcript.only("message").back();
    EXPECT_NE(said.find("書庫7個の中のファイル10個も登録しました。"), std::string::npos) << said;
    EXPECT_NE(
        said.find("読めなかった書庫が1個あり、ファイルとしてだけ登録しました。\n最初の書庫: " +
                  disc + "/damaged.zip"),
        std::string::npos)
        << said;

    const auto sorted = [](Lines lines) {
        std::sort(lines.begin(), lines.end());
        return lines;
    };
    EXPECT_EQ(
        sorted(lines("*readme*")),
        (Lines{"[Archives]docs.zip > docs/readme.txt", "[Archives]install.exe > docs/readme.txt",
               "[Archives]pack.7z > docs/readme.txt", "[Archives]src.tar.gz > docs/readme.txt"}));
    EXPECT_EQ(sorted(lines("*" + Sjis + "*")),
              (Lines{"[Archives]docs.zip > テスト.txt", "[Archives]install.exe > テスト.txt",
                     "[Archives]old.lzh > テスト2.txt"}))
        << "names from an old Japanese system: kept as their bytes, shown as they are meant";
    EXPECT_EQ(lines("setup.ini"), (Lines{"[Archives]setup.cab > setup.ini"}));
    EXPECT_EQ(sorted(lines("docs.zip")),
              (Lines{"[Archives]docs.zip", "[Archives]nested.zip > docs.zip"}))
        << "an archive in an archive is not opened";
    EXPECT_EQ(lines("*.txt", nullptr).size(), 9u);

    // The name index covers packed files as the scan does, and finds them changed.
    NameIndex index(dir / "cache/names", catalog, files);
    index.update();
    for (const std::string& key : std::vector<std::string>{"*readme*", "*" + Sjis + "*", "*.txt",
                                                           "setup.ini", "*note*", "*"}) {
        EXPECT_EQ(lines(key, &index), lines(key)) << key;
    }
    EXPECT_EQ(index.candidates("*lzhnote*", std::nullopt)->members.size(), 1u);
    execute(catalog, "Update OrbiskMembers Set name = 'renamed.txt' Where name = 'lzhnote.txt'");
    EXPECT_FALSE(index.candidates("*lzhnote*", std::nullopt)) << "another program's change";
    index.update();
    EXPECT_EQ(lines("renamed.txt", &index), (Lines{"[Archives]old.lzh > docs/lzhnote.txt"}));
}

TEST_F(Archives, APackedFileIsCopiedAloneByteForByteAndShownAndExported) {
    std::filesystem::create_directories(disc);
    makeArchives(disc);
    add(disc, "Archives");
    const CopyRun run = copyFound("*" + Sjis + "*");
    for (const std::string entry :
         {"/docs.zip > テスト.txt", "/install.exe > テスト.txt", "/old.lzh > テスト2.txt"}) {
        EXPECT_NE(CopyLogText(run.log).find(disc + entry + "\r\n***Copy Normal End\r\n"),
                  std::string::npos)
            << "each packed file named as its hit line names it: " << CopyLogText(run.log);
    }
    EXPECT_EQ(dir.read("out/テスト.txt"), "test\n") << "under the name shown, in UTF-8";
    EXPECT_EQ(dir.read("out/テスト2.txt"), "lzh test\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "out"), {}), 2)
        << "nothing but the packed files, under their own names";

    // The catalogue window's tree: an archive is a folder of its packed files.
    const auto shown = ReadDiscFiles(catalog, "Archives");
    const auto packed = std::find_if(shown.begin(), shown.end(), [](const DiscFile& file) {
        return file.name == "lzhnote.txt";
    });
    ASSERT_NE(packed, shown.end());
    EXPECT_EQ(packed->path, disc + "/old.lzh/docs/lzhnote.txt");

    ScriptedPlatform p;
    p.dialogs.saveNames = {"/out/archives.csv"};
    ExportCsv(p.platform(), catalog, std::string("Archives"));
    const std::string csv = p.files.written().at("/out/archives.csv");
    EXPECT_NE(
        csv.find(disc + "/old.lzh,Archives,lzhnote.txt,txt,0,2026-12-07,docs/lzhnote.txt\r\n"),
        std::string::npos)
        << csv;
}

TEST_F(Archives, PackedFilesStayWithTheirDiscSoCopyAsksForEachDiscOnce) {
    for (const std::string name : {"first", "second"}) {
        const std::string folder = (dir / name).string();
        dir.write(name + "/a_" + name + ".txt", name);
        dir.write(name + "/z_" + name + ".txt", name);
        WriteArchive(folder + "/pack.zip", {{"in_" + name + ".txt", name}}, ArchiveKind::Zip,
                     PackedDate);
        ASSERT_EQ(add(folder, name), Registration::Registered);
    }
    const Lines found = lines("*.txt");
    ASSERT_EQ(found.size(), 6u);
    for (std::size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(found[i].starts_with("[first]"), i < 3) << found[i];
    }
    const CopyRun run = copyFound("*.txt");
    EXPECT_EQ(CopyLogText(run.log).find("Error"), std::string::npos) << CopyLogText(run.log);
    EXPECT_EQ(dir.read("out/in_second.txt"), "second");
    EXPECT_EQ(transcript.only("message ファイルのコピー [OK/Cancel]: ").size(), 2u)
        << "one question per disc";
}

TEST_F(Archives, CraftedArchivesAreBoundedAndNothingIsWrittenOutsideTheFolder) {
    std::filesystem::create_directories(disc);
    WriteArchive(disc + "/crafted.zip",
                 {{"../evil.txt", "evil"},
                  {"/tmp/absolute.txt", "absolute"},
                  {"ctrl\x01name.txt", "control"},
                  {"link", "/etc/passwd", true},
                  {"good.txt", "good"}},
                 ArchiveKind::Zip, PackedDate);
    std::vector<PackedEntry> many;
    for (int i = 0; i < 100001; ++i) {
        many.push_back({"f" + std::to_string(i), ""});
    }
    WriteArchive(disc + "/many.tar", many, ArchiveKind::Pax, PackedDate);
    ASSERT_TRUE(RunQuietly("cd '" + disc +
                           "' && printf secret > secret.txt && zip -q -P pw locked.zip "
                           "secret.txt && rm secret.txt"));
    // A bomb: its header says ten bytes, its data unpacks to a megabyte.
    WriteArchive(disc + "/bomb.zip", {{"bomb.bin", std::string(1 << 20, '\0')}}, ArchiveKind::Zip,
                 PackedDate);
    {
        std::fstream bomb(disc + "/bomb.zip", std::ios::in | std::ios::out | std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(bomb)), {});
        bomb.clear();
        // The uncompressed size, in the local header and in the central record.
        for (const auto& [mark, offset] :
             {std::pair{std::string("PK\x03\x04"), 22}, std::pair{std::string("PK\x01\x02"), 24}}) {
            for (std::size_t at = 0; (at = bytes.find(mark, at)) != std::string::npos; ++at) {
                bomb.seekp(static_cast<std::streamoff>(at) + offset);
                bomb.write("\x0a\x00\x00\x00", 4);
            }
        }
    }
    ASSERT_EQ(add(disc, "Crafted"), Registration::Registered);
    const auto said = transcript.only("message").back();
    EXPECT_NE(
        said.find("ファイルが多すぎる書庫が1個あり、それぞれ最初の10万個だけを登録しました。"),
        std::string::npos)
        << said;
    EXPECT_NE(said.find("書庫の中のリンク1個は登録していません。"), std::string::npos) << said;
    EXPECT_NE(said.find("書庫の外を指すパス(\"..\"や絶対パス)のファイルが2個あります。"),
              std::string::npos)
        << said;

    CopyRun run = copyFound("evil.txt");
    EXPECT_EQ(dir.read("out/evil.txt"), "evil") << "in the folder, under its name alone";
    EXPECT_FALSE(std::filesystem::exists(dir / "evil.txt"));
    run = copyFound("absolute.txt");
    EXPECT_EQ(dir.read("out/absolute.txt"), "absolute");
    run = copyFound("ctrl*");
    EXPECT_NE(CopyLogText(run.log).find("***Copy Error: ファイル名に制御文字が含まれています。"),
              std::string::npos)
        << CopyLogText(run.log);
    run = copyFound("secret.txt");
    EXPECT_NE(CopyLogText(run.log).find("***Copy Error: パスワードで保護されているため"),
              std::string::npos)
        << CopyLogText(run.log);
    run = copyFound("bomb.bin");
    EXPECT_NE(CopyLogText(run.log).find("***Copy Error: "), std::string::npos)
        << CopyLogText(run.log);
    EXPECT_FALSE(std::filesystem::exists(dir / "out/bomb.bin"));
    EXPECT_EQ(lines("link"), Lines{});
    for (const auto& entry : std::filesystem::directory_iterator(dir / "out")) {
        EXPECT_EQ(entry.path().filename().string().find(".orbisk-"), std::string::npos)
            << "a leftover";
    }
}

TEST(ArchiveReader, ALongListingStopsAtItsLimitsAndLosesNothingElse) {
    TempDir dir;
    std::vector<PackedEntry> many;
    for (int i = 0; i < 50; ++i) {
        many.push_back({"f" + std::to_string(i), "x"});
    }
    WriteArchive((dir / "many.zip").string(), many, ArchiveKind::Zip, PackedDate);
    LinuxFileSystem files;
    auto file = files.openForReading((dir / "many.zip").string());
    ASSERT_NE(file, nullptr);
    ArchiveLimits limits;
    limits.mostMembers = 10;
    const MemberList some = ListMembers(*file, limits);
    EXPECT_EQ(some.end, MemberList::End::TooMany);
    EXPECT_EQ(some.members.size(), 10u);
    limits.longest = std::chrono::milliseconds(-1);
    EXPECT_EQ(ListMembers(*file, limits).end, MemberList::End::Unreadable) << "too slow";
    EXPECT_TRUE(IsArchiveName("OLD.LZH"));
    EXPECT_TRUE(IsArchiveName("setup.exe"));
    EXPECT_FALSE(IsArchiveName("readme.txt"));
    EXPECT_FALSE(IsArchiveName(".zip"));
}

// An archive may hold one path twice (tar rf, a zip written by bsdtar, an old LZH): each
// packed file is its own entry, and the one chosen is the one copied.
TEST_F(Archives, TheSamePathTwiceInAnArchiveIsCopiedAsTheEntryChosen) {
    const std::string small = "first dup\n!";
    const std::string large = std::string(349, 'L') + "\n";
    dir.write("one/dup.txt", small);
    dir.write("two/dup.txt", large);
    dir.write("three/same.txt", "AAAA");
    dir.write("four/same.txt", "BBBB");
    std::filesystem::create_directories(disc);
    const std::string d = dir.str();
    ASSERT_TRUE(RunQuietly("bsdtar --format zip -cf '" + disc + "/twice.zip' -C '" + d +
                           "/one' dup.txt -C '" + d + "/two' dup.txt"));
    ASSERT_TRUE(RunQuietly("tar cf '" + disc + "/twice.tar' -C '" + d + "/one' dup.txt -C '" + d +
                           "/three' same.txt && tar rf '" + disc + "/twice.tar' -C '" + d +
                           "/two' dup.txt -C '" + d + "/four' same.txt"));
    std::ofstream(disc + "/twice.lzh", std::ios::binary)
        << StoredLzh({{"dup.txt", small}, {"dup.txt", large}});
    ASSERT_EQ(add(disc, "Twice"), Registration::Registered);

    const Search search = SearchCatalog(catalog, nullptr, "*", "ALL");
    ASSERT_EQ(search.hits.size(), 3u + 8u);
    for (std::size_t i = 0; i < search.hits.size(); ++i) {
        const Hit& hit = search.hits[i];
        if (hit.member == 0) {
            continue;
        }
        std::filesystem::remove_all(dir / "out");
        std::filesystem::create_directories(dir / "out");
        const CopyRun one =
            CopyFiles(platform, catalog, search.hits, {i}, (dir / "out").string(), copyWindow);
        EXPECT_EQ(CopyLogText(one.log).find("Error"), std::string::npos) << CopyLogText(one.log);
        const std::string copied = dir.read("out/" + hit.name);
        if (hit.name == "dup.txt") {
            EXPECT_EQ(copied, hit.memberBytes == small.size() ? small : large) << HitLine(hit);
        } else {
            EXPECT_EQ(copied, hit.memberOrdinal == 1 ? "AAAA" : "BBBB") << HitLine(hit);
        }
    }
}

// A packed file is its archive's row's: removed with it by another program, it is found no
// more, and never by the rows that take the removed rows' ids.
TEST_F(Archives, PackedFilesGoWithTheirArchiveRowWhoeverRemovesIt) {
    dir.write("disc1/a.txt", "a");
    dir.write("inner/inside-one.txt", "inside");
    ASSERT_TRUE(RunQuietly("cd '" + dir.str() + "/inner' && zip -q '" + dir.str() +
                           "/disc1/pack.zip' inside-one.txt"));
    ASSERT_EQ(add((dir / "disc1").string(), "One"), Registration::Registered);
    ASSERT_EQ(lines("inside-*"), (Lines{"[One]pack.zip > inside-one.txt"}));
    const std::string sqlite = "sqlite3 '" + catalog.string() + "' ";
    ASSERT_TRUE(RunQuietly(sqlite + "\"Delete From MediaTable Where メディア名 = 'One'; "
                                    "Delete From MediaName Where メディア名 = 'One'\""));
    EXPECT_EQ(lines("inside-*"), Lines{});

    // Another program adds a row, which takes the archive's row id.
    ASSERT_TRUE(RunQuietly(sqlite + "\"Insert Into MediaTable Values ('/elsewhere/o.zip', 'Other', "
                                    "'o.zip', 'zip', '1', '2026-12-07')\""));
    EXPECT_EQ(lines("inside-*"), Lines{}) << "a reused row id is not the archive";
    NameIndex index(dir / "cache/names", catalog, files);
    index.update();
    EXPECT_EQ(lines("inside-*", &index), Lines{});

    // So does a registration, whose archive sits at that id too.
    for (int i = 0; i < 3; ++i) {
        dir.write("disc2/o" + std::to_string(i) + ".txt", "o");
    }
    WriteArchive((dir / "disc2/p.zip").string(), {{"other.txt", "other"}}, ArchiveKind::Zip,
                 PackedDate);
    ASSERT_EQ(add((dir / "disc2").string(), "Another"), Registration::Registered);
    EXPECT_EQ(lines("inside-*"), Lines{});
    index.update();
    EXPECT_EQ(lines("inside-*", &index), Lines{});
    EXPECT_EQ(lines("*.txt", &index), lines("*.txt"));
    for (const char* title : {"Another", "Other"}) {
        for (const DiscFile& file : ReadDiscFiles(catalog, title)) {
            EXPECT_EQ(file.name.find("inside"), std::string::npos) << file.path;
        }
    }
    Catalog reading(catalog);
    ExportRows(reading, std::nullopt, [](const std::vector<std::string>& row) {
        EXPECT_EQ(row[2].find("inside"), std::string::npos) << row[0];
        return true;
    });
    EXPECT_EQ(lines("other.txt"), (Lines{"[Another]p.zip > other.txt"}));
}

// Packed files stored before they kept their place and their tie: found and copied as
// before, by path and size; the next registration ties them to their rows.
TEST_F(Archives, PackedFilesOfAnOlderCatalogueKeepWorking) {
    dir.write("disc/a.txt", "a");
    dir.write("one/dup.txt", "1111");
    dir.write("two/dup.txt", "2222");
    dir.write("two/only.txt", "only");
    ASSERT_TRUE(RunQuietly("bsdtar --format zip -cf '" + disc + "/pack.zip' -C '" + dir.str() +
                           "/one' dup.txt -C '" + dir.str() + "/two' dup.txt only.txt"));
    ASSERT_EQ(add(disc, "Old"), Registration::Registered);
    execute(catalog, "Alter Table OrbiskMembers Drop Column ordinal;"
                     "Alter Table OrbiskMembers Drop Column archive_tie");
    const auto before = tableRows(catalog, "MediaTable");
    EXPECT_EQ(lines("only.txt"), (Lines{"[Old]pack.zip > only.txt"}));
    CopyRun run = copyFound("only.txt");
    EXPECT_EQ(CopyLogText(run.log).find("Error"), std::string::npos) << CopyLogText(run.log);
    EXPECT_EQ(dir.read("out/only.txt"), "only");
    run = copyFound("dup.txt");
    EXPECT_NE(
        CopyLogText(run.log).find("***Copy Error: 書庫に同じパスと大きさのファイルが複数あり"),
        std::string::npos)
        << "which of the two was registered, nothing tells: " << CopyLogText(run.log);

    const auto oldTables = [this] {
        return tableRows(catalog, "sqlite_master Where name In ('MediaTable', 'MediaName')");
    };
    const auto tablesBefore = oldTables();
    dir.write("disc2/b.txt", "b");
    ASSERT_EQ(add((dir / "disc2").string(), "New"), Registration::Registered);
    EXPECT_EQ(lines("only.txt"), (Lines{"[Old]pack.zip > only.txt"}));
    run = copyFound("only.txt");
    EXPECT_EQ(CopyLogText(run.log).find("Error"), std::string::npos) << CopyLogText(run.log);
    const auto after = tableRows(catalog, "MediaTable");
    EXPECT_EQ(std::vector<Lines>(after.begin(), after.begin() + 2), before);
    EXPECT_EQ(oldTables(), tablesBefore);
}

// A packed file that unpacks to another size than its archive lists is not copied: an LZH
// whose header says 350 bytes for a stored member of 11, and a zip whose data says less.
TEST_F(Archives, AMemberThatUnpacksShorterThanListedIsACopyError) {
    std::filesystem::create_directories(disc);
    std::string lzh = StoredLzh({{"short.txt", "first dup\n!"}});
    lzh.replace(2 + 5 + 4, 4, std::string("\x5e\x01\x00\x00", 4)); // the original size
    lzh[1] = static_cast<char>(lzh[1] + 0x5e + 0x01 - 11);         // the header's sum
    std::ofstream(disc + "/short.lzh", std::ios::binary) << lzh;
    WriteArchive(disc + "/short.zip", {{"short.bin", std::string(2000, 's')}}, ArchiveKind::Zip,
                 PackedDate);
    {
        std::fstream zip(disc + "/short.zip", std::ios::in | std::ios::out | std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(zip)), {});
        zip.clear();
        // The uncompressed size, in the local header and in the central record: 3000.
        for (const auto& [mark, offset] :
             {std::pair{std::string("PK\x03\x04"), 22}, std::pair{std::string("PK\x01\x02"), 24}}) {
            for (std::size_t at = 0; (at = bytes.find(mark, at)) != std::string::npos; ++at) {
                zip.seekp(static_cast<std::streamoff>(at) + offset);
                zip.write("\xb8\x0b\x00\x00", 4);
            }
        }
    }
    ASSERT_EQ(add(disc, "Short"), Registration::Registered);
    const CopyRun run = copyFound("short.*");
    EXPECT_NE(CopyLogText(run.log).find(disc + "/short.lzh > short.txt\r\n***Copy Error: "),
              std::string::npos)
        << CopyLogText(run.log);
    EXPECT_NE(CopyLogText(run.log).find(disc + "/short.zip > short.bin\r\n***Copy Error: "),
              std::string::npos)
        << CopyLogText(run.log);
    EXPECT_FALSE(std::filesystem::exists(dir / "out/short.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir / "out/short.bin"));
}

// Compressed tars that unpack to gigabytes: the listing ends within its budget, and a
// registration counts such an archive as unreadable. The clock is the test's own, as the
// budget is a bound the program promises, not a speed.
TEST_F(Archives, ABombIsStoppedWithinTheListingBudget) {
    std::filesystem::create_directories(disc);
    const auto within = [](const std::string& bomb, std::chrono::milliseconds budget) {
        LinuxFileSystem files;
        const auto file = files.openForReading(bomb);
        EXPECT_NE(file, nullptr);
        ArchiveLimits limits;
        limits.longest = budget;
        const auto start = std::chrono::steady_clock::now();
        const MemberList list = ListMembers(*file, limits);
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(list.end, MemberList::End::Unreadable) << bomb;
        EXPECT_EQ(list.reason, "too slow") << bomb;
        return took < budget + std::chrono::seconds(2);
    };
    // 16 GB of zeros in some 50 KB, and 4 GB in 4 MB.
    const std::string bzip2 = MakeArchiveBomb(dir, "bzip2", 256);
    const std::string gzip = MakeArchiveBomb(dir, "gzip", 64);
    EXPECT_TRUE(within(bzip2, std::chrono::seconds(1))) << "bzip2";
    EXPECT_TRUE(within(gzip, std::chrono::seconds(1))) << "gzip";

    // A registration, with the budget it has.
    std::filesystem::rename(bzip2, disc + "/bomb.tar.bz2");
    dir.write("disc/readme.txt", "readme");
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(add(disc, "Bomb"), Registration::Registered);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10 + 3));
    const auto said = transcript.only("message").back();
    EXPECT_NE(
        said.find("読めなかった書庫が1個あり、ファイルとしてだけ登録しました。\n最初の書庫: " +
                  disc + "/bomb.tar.bz2"),
        std::string::npos)
        << said;
}

// Archives on a real disc: an ISO image made by xorriso, mounted with fuseiso.
TEST_F(Archives, OnADiscImageThePackedFileComesBackFromTheDisc) {
    const std::string content = (dir / "content").string();
    std::filesystem::create_directories(content);
    makeArchives(content);
    ASSERT_TRUE(MakeDiscImage(content, (dir / "disc.iso").string(), "ARCHIVES", "20060606060606"));
    std::filesystem::create_directories(disc);
    const FuseMount mounted((dir / "disc.iso").string(), disc);
    if (!mounted.mounted()) {
        GTEST_SKIP() << "fuseiso cannot mount here";
    }
    ASSERT_EQ(add(disc, "On a disc"), Registration::Registered);
    const CopyRun run = copyFound("*lzhnote*");
    EXPECT_EQ(CopyLogText(run.log), disc + "/old.lzh > docs/lzhnote.txt\r\n***Copy Normal End\r\n");
    EXPECT_EQ(dir.read("out/lzhnote.txt"), "note\n");
    EXPECT_EQ(transcript.count("message ファイルのコピー [OK/Cancel]: On a discのメディアをセット"
                               "して下さい。"),
              1u);
}

} // namespace
} // namespace orbisk
