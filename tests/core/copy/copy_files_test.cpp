#include "copy/copy_files.h"
#include "copy_log_text.h"
#include "support/recording_views.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace orbisk {
namespace {

using namespace testing;

class Copy : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path catalog = newCatalog(dir);
    ScriptedPlatform p;
    RecordingCopySink window{p.transcript};
    HitTable hits;
    std::vector<std::size_t> marked;
    std::string folder = "d:\\OUT";
    CopyRun result;

    void SetUp() override {
        p.files.addDrive("e:");
        p.files.addDrive("d:");
    }
    // A hit on the next line, its file present on drive e: unless told.
    void hit(const std::string& title, const std::string& path, bool marked = true,
             bool present = true) {
        if (marked) {
            this->marked.push_back(hits.size());
        }
        hits.push_back(FileHit(0, path, path.substr(path.rfind('\\') + 1), title, "0"));
        if (present) {
            p.files.addFile(path);
        }
    }
    void run() { result = CopyFiles(p.platform(), catalog, hits, marked, folder, window); }
    Lines questions() const { return p.transcript.only("message ファイルのコピー [OK/Cancel]"); }
};

TEST_F(Copy, NothingMarkedGivesTheMessageAndChangesNothing) {
    run();
    hit("A", "e:\\a.txt", false);
    run();
    EXPECT_EQ(p.transcript.lines,
              (Lines{"message ファイルのコピー: コピーするファイルが選択されていません。",
                     "message ファイルのコピー: コピーするファイルが選択されていません。"}));
    EXPECT_EQ(result.end, CopyRun::End::NothingMarked);
}

TEST_F(Copy, ThreeOfOneTitleAskOnceTestEachAndCopyEach) {
    hit("A", "e:\\DOCS\\a.txt");
    hit("A", "e:\\DOCS\\b.txt");
    hit("A", "e:\\c.txt");
    run();
    const Lines perFile = {"tray set cdaudio door Closed", "ready? e:"};
    EXPECT_EQ(p.transcript.lines,
              (Lines{"busy",
                     "max 3",
                     "value 0",
                     "label 0%",
                     "tray set cdaudio door open",
                     "message ファイルのコピー [OK/Cancel]: Aのメディアをセットして下さい。",
                     perFile[0],
                     perFile[1],
                     "copy e:\\DOCS\\a.txt -> d:\\OUT\\a.txt",
                     "value 1",
                     "label 33%",
                     perFile[0],
                     perFile[1],
                     "copy e:\\DOCS\\b.txt -> d:\\OUT\\b.txt",
                     "value 2",
                     "label 66%",
                     perFile[0],
                     perFile[1],
                     "copy e:\\c.txt -> d:\\OUT\\c.txt",
                     "value 3",
                     "label 100%",
                     "tray set cdaudio door open",
                     "not busy"}));
    EXPECT_EQ(result.end, CopyRun::End::Done);
    EXPECT_EQ(CopyLogText(result.log),
              "e:\\DOCS\\a.txt\r\n***Copy Normal End\r\ne:\\DOCS\\b.txt\r\n***Copy Normal End\r\n"
              "e:\\c.txt\r\n***Copy Normal End\r\n");
}

TEST_F(Copy, ProgressPassesEveryLineWhenOnlyTheLastIsMarked) {
    for (int i = 1; i <= 10; ++i) {
        hit("A", "e:\\" + std::to_string(i) + ".txt", i == 10);
    }
    run();
    EXPECT_EQ(p.transcript.only("label"),
              (Lines{"label 0%", "label 10%", "label 20%", "label 30%", "label 40%", "label 50%",
                     "label 60%", "label 70%", "label 80%", "label 90%", "label 100%"}));
    EXPECT_EQ(questions().size(), 1u);
    EXPECT_EQ(CopyLogText(result.log), "e:\\10.txt\r\n***Copy Normal End\r\n");
}

TEST_F(Copy, EachRunOfOneTitleIsAskedForInListOrder) {
    hit("A", "e:\\1");
    hit("A", "e:\\2");
    hit("B", "e:\\3");
    hit("A", "e:\\4");
    run();
    EXPECT_EQ(questions(),
              (Lines{"message ファイルのコピー [OK/Cancel]: Aのメディアをセットして下さい。",
                     "message ファイルのコピー [OK/Cancel]: Bのメディアをセットして下さい。",
                     "message ファイルのコピー [OK/Cancel]: Aのメディアをセットして下さい。"}));
    EXPECT_EQ(p.transcript.count("ready? e:"), 4u);
}

TEST_F(Copy, CancelKeepsWhatWasCopiedAndShowsNoReport) {
    hit("A", "e:\\a.txt");
    hit("B", "e:\\b.txt");
    p.dialogs.answers = {Answer::Ok, Answer::Cancel};
    run();
    EXPECT_EQ(p.files.copies().size(), 1u);
    EXPECT_EQ(result.end, CopyRun::End::Cancelled);
    EXPECT_EQ(CopyLogText(result.log), "e:\\a.txt\r\n***Copy Normal End\r\n");
    const Lines tail(p.transcript.lines.end() - 4, p.transcript.lines.end());
    EXPECT_EQ(tail, (Lines{"not busy", "max 100", "value 0", "label 0%"}));
    EXPECT_EQ(p.transcript.only("tray").back(), "tray set cdaudio door open");
}

TEST_F(Copy, MissingFileIsLoggedAndTheWalkGoesOn) {
    hit("A", "e:\\gone.txt", true, false);
    hit("A", "e:\\here.txt");
    run();
    EXPECT_EQ(CopyLogText(result.log),
              "e:\\gone.txt\r\n***File Not Found\r\ne:\\here.txt\r\n***Copy Normal End\r\n");
    EXPECT_EQ(p.files.copies().size(), 1u);
}

TEST_F(Copy, APathLongerThanTheSystemAllowsIsSaidToBeSo) {
    hit("A", "e:\\" + std::string(300, 'd') + "\\a.txt", true, false);
    run();
    EXPECT_EQ(CopyLogText(result.log),
              "e:\\" + std::string(300, 'd') +
                  "\\a.txt\r\n***Copy Error: パスが長すぎるため、ディスクのファイルを"
                  "開けません。\r\n");
}

TEST_F(Copy, SameNameFromTwoFoldersEndsAsTheSecond) {
    hit("A", "e:\\ONE\\same.txt");
    hit("A", "e:\\TWO\\same.txt");
    run();
    EXPECT_EQ(p.transcript.only("copy"), (Lines{"copy e:\\ONE\\same.txt -> d:\\OUT\\same.txt",
                                                "copy e:\\TWO\\same.txt -> d:\\OUT\\same.txt"}));
    EXPECT_EQ(p.files.copies().at("d:\\OUT\\same.txt"), "e:\\TWO\\same.txt");
    EXPECT_EQ(
        CopyLogText(result.log),
        "e:\\ONE\\same.txt\r\n***Copy Normal End\r\ne:\\TWO\\same.txt\r\n***Copy Normal End\r\n");
}

TEST_F(Copy, DriveRootTargetGetsADoubledSeparator) {
    folder = "d:\\";
    hit("A", "e:\\a.txt");
    run();
    EXPECT_EQ(p.transcript.only("copy"), (Lines{"copy e:\\a.txt -> d:\\\\a.txt"}));
}

TEST_F(Copy, AStopEndsTheCopyAfterTheFileItIsAt) {
    hit("A", "e:\\a.txt");
    hit("A", "e:\\b.txt");
    hit("A", "e:\\c.txt");
    std::stop_source stop;
    p.transcript.onAdd = [&](const std::string& line) {
        if (line == "value 1") {
            stop.request_stop();
        }
    };
    result = CopyFiles(p.platform(), catalog, hits, marked, folder, window, stop.get_token());
    EXPECT_EQ(result.end, CopyRun::End::Stopped);
    EXPECT_EQ(p.transcript.only("copy"), (Lines{"copy e:\\a.txt -> d:\\OUT\\a.txt"}));
    EXPECT_EQ(CopyLogText(result.log), "e:\\a.txt\r\n***Copy Normal End\r\n")
        << "what was copied is logged";
    EXPECT_EQ(p.transcript.lines.back(), "not busy");
    EXPECT_EQ(p.transcript.count("tray set cdaudio door open"), 1u) << "only for the disc";
}

// A stop that reaches a file while it is copied ends the run there, even at the last
// line: the file is logged as stopped and nothing after it is copied or logged.
TEST_F(Copy, AStopDuringAFilesCopyEndsTheRunAndLogsTheFileAsStopped) {
    for (const bool last : {false, true}) {
        SCOPED_TRACE(last ? "the last line" : "a middle line");
        hits.clear();
        marked.clear();
        p.transcript.lines.clear();
        hit("A", "e:\\a.txt");
        hit("A", "e:\\b.txt");
        if (!last) {
            hit("A", "e:\\c.txt");
        }
        std::stop_source stop;
        p.transcript.onAdd = [&](const std::string& line) {
            if (line == "copy e:\\b.txt -> d:\\OUT\\b.txt") {
                stop.request_stop();
            }
        };
        result = CopyFiles(p.platform(), catalog, hits, marked, folder, window, stop.get_token());
        EXPECT_EQ(result.end, CopyRun::End::Stopped);
        EXPECT_EQ(CopyLogText(result.log),
                  "e:\\a.txt\r\n***Copy Normal End\r\n"
                  "e:\\b.txt\r\n***Copy Error: コピーを中止しました。\r\n");
        EXPECT_FALSE(p.files.copies().contains("d:\\OUT\\b.txt"));
        EXPECT_EQ(p.transcript.count("copy e:\\c.txt -> d:\\OUT\\c.txt"), 0u);
        EXPECT_EQ(p.transcript.lines.back(), "not busy");
        p.transcript.onAdd = nullptr;
    }
}

TEST_F(Copy, NotReadyDriveAsksForTheDiscAgainSoCancelIsAlwaysThere) {
    hit("A", "e:\\a.txt");
    hit("A", "e:\\b.txt");
    // The drive goes away after the first file: the same title is asked for again.
    p.dialogs.answers = {Answer::Ok, Answer::Cancel};
    p.transcript.onAdd = [&](const std::string& line) {
        if (line == "value 1") {
            p.files.setReady("e:", false);
        }
    };
    run();
    EXPECT_EQ(p.transcript.only("message"),
              (Lines{"message ファイルのコピー [OK/Cancel]: Aのメディアをセットして下さい。",
                     "message ファイルのコピー: Aのメディアの準備が出来ていません。",
                     "message ファイルのコピー [OK/Cancel]: Aのメディアをセットして下さい。"}));
    EXPECT_EQ(CopyLogText(result.log), "e:\\a.txt\r\n***Copy Normal End\r\n");
    EXPECT_EQ(result.end, CopyRun::End::Cancelled);
}

TEST_F(Copy, UnknownDriveOrTooShortPathIsNotReady) {
    for (const std::string path : {"q:\\a.txt", "x"}) {
        hits.clear();
        marked.clear();
        p.transcript.lines.clear();
        hit("A", path, true, false);
        p.dialogs.answers = {Answer::Ok, Answer::Cancel};
        run();
        EXPECT_EQ(p.transcript.only("message ファイルのコピー:"),
                  (Lines{"message ファイルのコピー: Aのメディアの準備が出来ていません。"}))
            << path;
    }
    EXPECT_TRUE(p.files.copies().empty());
}

TEST_F(Copy, FailedCopyIsLoggedWithItsReasonAndTheWalkGoesOn) {
    hit("A", "e:\\a.txt");
    hit("A", "e:\\b.txt");
    p.files.failCopies("デバイスに空き領域がありません");
    run();
    EXPECT_EQ(CopyLogText(result.log),
              "e:\\a.txt\r\n***Copy Error: デバイスに空き領域がありません\r\n"
              "e:\\b.txt\r\n***Copy Error: デバイスに空き領域がありません\r\n");
    EXPECT_EQ(result.end, CopyRun::End::Done);
    EXPECT_EQ(p.transcript.only("not busy").size(), 1u);

    // A reason with line breaks of its own stays one line of the log.
    p.files.failCopies("書き込めません。\r\n(I/O error)\nもう一度");
    run();
    EXPECT_EQ(CopyLogText(result.log),
              "e:\\a.txt\r\n***Copy Error: 書き込めません。 (I/O error) もう一度\r\n"
              "e:\\b.txt\r\n***Copy Error: 書き込めません。 (I/O error) もう一度\r\n");
}

TEST_F(Copy, NameThatWouldLeaveTheTargetFolderIsNotCopied) {
    for (const std::string name : {"..", ".", "..\\evil.txt", "sub/evil.txt", ""}) {
        marked.push_back(hits.size());
        hits.push_back(FileHit(0, "e:\\x", name, "A", "0"));
    }
    p.files.addFile("e:\\x");
    run();
    EXPECT_TRUE(p.transcript.only("copy").empty());
    EXPECT_EQ(result.end, CopyRun::End::Done);
    const std::string entry =
        "e:\\x\r\n***Copy Error: ファイル名にフォルダの区切りが含まれています。\r\n";
    EXPECT_EQ(CopyLogText(result.log), entry + entry + entry + entry + entry);
}

TEST_F(Copy, HitWithoutAPathIsACopyErrorAndNoDiscIsAskedFor) {
    hit("A", "e:\\a.txt");
    marked.push_back(hits.size());
    hits.push_back(FileHit(0, "", "lost.txt", "A", "0")); // a row whose path the catalogue lost
    hit("A", "e:\\b.txt");
    run();
    EXPECT_EQ(questions().size(), 1u);
    EXPECT_EQ(CopyLogText(result.log),
              "e:\\a.txt\r\n***Copy Normal End\r\n"
              "\r\n***Copy Error: カタログにファイルのパスがありません。\r\n"
              "e:\\b.txt\r\n***Copy Normal End\r\n");
}

TEST_F(Copy, TargetFolderIsMadeReadyOnceBeforeTheFirstCopy) {
    hit("A", "e:\\a.txt");
    hit("A", "e:\\b.txt");
    run();
    EXPECT_EQ(p.files.prepared(), (Lines{"d:\\OUT"}));
}

} // namespace
} // namespace orbisk
