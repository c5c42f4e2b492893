#include "catalog/row_writer.h"
#include "gui/gui_fixture.h"
#include "image/image_file_system.h"
#include "registration/register_disc.h"
#include "services/message_dialog.h"
#include "support/catalog_rows.h"
#include "support/disc_images.h"
#include "support/lzh_writer.h"
#include "support/recording_views.h"
#include "widgets/drive_list.h"
#include "widgets/folder_list.h"

#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace orbisk {
namespace {

using namespace testing;

class CopyWindowTest : public GuiTest {
protected:
    // A copy window as a search hands it over: hits "[A]file0" and on.
    CopyWindow* filled(int lines) {
        HitTable hits;
        for (int i = 0; i < lines; ++i) {
            const std::string name = "file" + std::to_string(i);
            hits.push_back(FileHit(i + 1, "/disc/" + name, name, "A", "0"));
        }
        return opened(std::move(hits));
    }
    CopyWindow* opened(HitTable hits) {
        window_ = new CopyWindow(session, std::move(hits));
        return window_.data();
    }
    void TearDown() override { delete window_.data(); }

    static QListView* hitList(const CopyWindow* window) {
        return control<QListView>(window, "List1");
    }
    static FolderList* folders(const CopyWindow* window) {
        return control<FolderList>(window, "Dir1");
    }
    static DriveList* drives(const CopyWindow* window) {
        return control<DriveList>(window, "Drive1");
    }
    static void clickLine(CopyWindow* window, int line, int x = -1) {
        const QRect rect = hitList(window)->visualRect(hitList(window)->model()->index(line, 0));
        QTest::mouseClick(hitList(window)->viewport(), Qt::LeftButton, {},
                          x < 0 ? rect.center() : QPoint(x, rect.center().y()));
    }
    // The text of the report window the copy opened.
    static std::string report(const CopyWindow* window) {
        return window->reportWindow() == nullptr
                   ? "(no report)"
                   : control<QPlainTextEdit>(window->reportWindow(), "Text1")
                         ->toPlainText()
                         .toStdString();
    }

    // Japanese as a user types it: composed in the input method, then committed.
    static void typeJapanese(QWidget* box, const QString& text) {
        box->setFocus();
        QInputMethodEvent composing(text, {});
        QApplication::sendEvent(box, &composing);
        QInputMethodEvent committed;
        committed.setCommitString(text);
        QApplication::sendEvent(box, &committed);
    }

    QPointer<CopyWindow> window_;
};

TEST_F(CopyWindowTest, ClickTogglesMarksAndSelectAllKeepsThemWhileMarkingEveryLine) {
    CopyWindow* form = filled(3);
    form->show();
    clickLine(form, 1);
    EXPECT_EQ(form->markedLines(), (std::vector<std::size_t>{1}));
    clickLine(form, 2);
    clickLine(form, 2);
    EXPECT_FALSE(form->isMarked(2));
    click(form, "Command3");
    EXPECT_EQ(form->markedLines(), (std::vector<std::size_t>{0, 1, 2}));
    click(form, "Command4");
    EXPECT_TRUE(form->markedLines().empty());
}

TEST_F(CopyWindowTest, EveryBandButtonsCaptionFitsInsideItsBorders) {
    CopyWindow* form = filled(1);
    form->show();
    for (const char* name : {"Command1", "Command2", "Command3", "Command4"}) {
        const auto* button = control<QPushButton>(form, name);
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), button->width() - 4)
            << button->text().toStdString();
    }
}

TEST_F(CopyWindowTest, ListKeepsTheOrderOfItsHitsAndHoldsMoreThan32767) {
    CopyWindow* form = filled(40000);
    EXPECT_EQ(hitList(form)->model()->rowCount(), 40000);
    EXPECT_EQ(hitList(form)->model()->index(39999, 0).data().toString(), "[A]file39999");
    EXPECT_EQ(hitList(form)->model()->index(39999, 0).data(Qt::ToolTipRole).toString(),
              "/disc/file39999");
    click(form, "Command3");
    EXPECT_EQ(form->markedLines().size(), 40000u);
    EXPECT_EQ(form->windowTitle(), "Orbisk [FileCopy]     40000件が見つかりました。");
}

TEST_F(CopyWindowTest, FindOpensAFreshWindowEachTimeAndClosingDestroysIt) {
    storeFiles(catalog, {{"/disc/a.txt", "A", "a.txt", "txt", "0", "2026-12-07"},
                         {"/disc/b.txt", "A", "b.txt", "txt", "0", "2026-12-07"}});
    MainWindow main(session);
    main.show();
    CopyWindow* first = find(main, "*.txt");
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(first->isModal()) << "the main window takes no input meanwhile";
    click(first, "Command3");
    QPointer<CopyWindow> old(first);
    click(first, "Command2");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(old.isNull());
    CopyWindow* fresh = find(main, "*.txt");
    ASSERT_NE(fresh, nullptr);
    EXPECT_TRUE(fresh->markedLines().empty());
    EXPECT_EQ(control<QProgressBar>(fresh, "PB1")->value(), 0);
    EXPECT_EQ(control<QProgressBar>(fresh, "PB1")->maximum(), 100);
    EXPECT_EQ(control<QLabel>(fresh, "Label1")->text(), "0%");
    EXPECT_EQ(fresh->targetFolder(), std::filesystem::current_path().string());
}

TEST_F(CopyWindowTest, TargetIsTheOpenedFolderNotTheHighlightedOne) {
    std::filesystem::create_directories(dir / "target/inner");
    CopyWindow* form = filled(1);
    ASSERT_TRUE(folders(form)->setPath((dir / "target").string()));
    EXPECT_EQ(form->targetFolder(), (dir / "target").string());
    const auto items = folders(form)->findItems("inner", Qt::MatchContains);
    ASSERT_EQ(items.size(), 1);
    folders(form)->setCurrentItem(items[0]);
    EXPECT_EQ(form->targetFolder(), (dir / "target").string()) << "highlighting opens nothing";
    emit folders(form)->itemActivated(items[0]);
    EXPECT_EQ(form->targetFolder(), (dir / "target/inner").string());
}

TEST_F(CopyWindowTest, FolderListShowsNamesThatAreNotUtf8AndFullPathsAsTips) {
    const std::string sjis = "\x83\x65\x83\x58\x83\x67"; // "テスト" from an old disc
    const std::string broken = "\xff\xfe";               // neither UTF-8 nor Shift-JIS
    std::filesystem::create_directories(dir / "target" / sjis);
    std::filesystem::create_directories(dir / "target" / broken);
    CopyWindow* form = filled(1);
    ASSERT_TRUE(folders(form)->setPath((dir / "target").string()));
    const auto shown = folders(form)->findItems("テスト", Qt::MatchContains);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(folders(form)->findItems("\uFFFD\uFFFD", Qt::MatchContains).size(), 1);
    EXPECT_EQ(folders(form)->toolTip(), QString::fromStdString((dir / "target").string()));
    EXPECT_EQ(shown[0]->toolTip(), QString::fromStdString((dir / "target").string() + "/テスト"));
    emit folders(form)->itemActivated(shown[0]);
    EXPECT_EQ(form->targetFolder(), (dir / "target" / sjis).string()) << "the bytes are kept";
}

TEST_F(CopyWindowTest, LongLinesAreShownWholeAndTheListScrollsSideways) {
    HitTable hits = {FileHit(1, "/d/a", "a", "A", "0"),
                     FileHit(2, "/d/long.txt", "long.txt", std::string(400, 'T'), "0")};
    CopyWindow* form = opened(std::move(hits));
    form->show();
    QCoreApplication::processEvents();
    const QModelIndex last = hitList(form)->model()->index(1, 0);
    EXPECT_GE(hitList(form)->visualRect(last).width(),
              hitList(form)->fontMetrics().horizontalAdvance(last.data().toString()));
    EXPECT_GT(hitList(form)->horizontalScrollBar()->maximum(), 0);
    clickLine(form, 1);
    EXPECT_TRUE(form->isMarked(1));
    EXPECT_EQ(hitList(form)->horizontalScrollBar()->value(), 0) << "a click keeps the list's start";
}

TEST_F(CopyWindowTest, GrowsWithItsListsFromItsFirstSize) {
    CopyWindow* form = filled(3);
    form->show();
    const QSize first = form->size();
    EXPECT_EQ(first, QSize(677, 480));
    const QRect list = hitList(form)->geometry();
    const QRect folderList = folders(form)->geometry();
    const QRect copyButton = control(form, "Command1")->geometry();
    form->resize(first + QSize(200, 100));
    QCoreApplication::processEvents();
    EXPECT_EQ(hitList(form)->geometry(), list.adjusted(0, 0, 200, 100));
    EXPECT_EQ(folders(form)->geometry(), folderList.adjusted(200, 0, 200, 100));
    EXPECT_EQ(control(form, "Command1")->geometry(), copyButton.translated(0, 100));
    form->resize(first - QSize(100, 100));
    EXPECT_EQ(form->size(), first) << "never smaller than its first size";
}

TEST_F(CopyWindowTest, TargetFolderPickerSaysWhatItPicks) {
    CopyWindow* form = filled(1);
    form->show();
    QString title;
    // The folder picker is a real modal dialog.
    whenShown([] { return QApplication::activeModalWidget(); },
              [&] {
                  title = QApplication::activeModalWidget()->windowTitle();
                  QApplication::activeModalWidget()->close();
              });
    emit drives(form)->activated(drives(form)->count() - 1);
    EXPECT_EQ(title, "コピー先のフォルダを選択");
}

TEST_F(CopyWindowTest, DriveChangeMovesTheFolderListAndAnUnreadyDriveIsUndone) {
    CopyWindow* form = filled(1);
    drives(form)->setDrive(dir.str());
    emit drives(form)->driveChanged();
    EXPECT_EQ(form->targetFolder(), dir.str());
    drives(form)->setDrive("/dev/sr9");
    emit drives(form)->driveChanged();
    EXPECT_EQ(form->targetFolder(), dir.str());
    EXPECT_EQ(drives(form)->driveText(), files.driveOfPath(dir.str()));
}

// Register a real folder, search it, mark everything, copy it into another folder and
// read the report: the whole way a user goes.
TEST_F(CopyWindowTest, RegisterSearchSelectAllCopyAndReport) {
    const std::string big(200000, 'b');
    dir.write("disc/a.txt", "alpha");
    dir.write("disc/docs/b.txt", big);
    dir.write("disc/docs/c.doc", "not wanted");
    std::filesystem::create_directory(dir / "out");
    MainWindow main(session);
    main.show();
    control<DriveList>(&main, "Drive1")->setDrive((dir / "disc").string());
    control<QLineEdit>(&main, "Text1")->setText("Disc 1");
    click(&main, "Command3");

    CopyWindow* copy = find(main, "*.txt");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->windowTitle(), "Orbisk [FileCopy]     2件が見つかりました。");
    ASSERT_TRUE(folders(copy)->setPath((dir / "out").string()));
    click(copy, "Command3");
    click(copy, "Command1");
    ASSERT_NE(copy->reportWindow(), nullptr);
    EXPECT_TRUE(copy->reportWindow()->isVisible());
    EXPECT_EQ(report(copy), (dir / "disc/a.txt").string() + "\n***Copy Normal End\n" +
                                (dir / "disc/docs/b.txt").string() + "\n***Copy Normal End\n");
    EXPECT_EQ(control<QLabel>(copy, "Label1")->text(), "100%");
    click(copy->reportWindow(), "Command1");
    EXPECT_EQ(control<QLabel>(copy, "Label1")->text(), "0%");
    EXPECT_EQ(control<QProgressBar>(copy, "PB1")->maximum(), 100);
    for (const char* name :
         {"Command1", "Command2", "Command3", "Command4", "List1", "Dir1", "Drive1"}) {
        EXPECT_TRUE(control(copy, name)->isEnabled()) << name;
    }

    EXPECT_EQ(dir.read("out/a.txt"), "alpha");
    EXPECT_EQ(dir.read("out/b.txt"), big);
    EXPECT_FALSE(std::filesystem::exists(dir / "out/c.doc"));
    EXPECT_EQ(transcript.count(
                  "message ファイルのコピー [OK/Cancel]: Disc 1のメディアをセットして下さい。"),
              1u);
    click(copy, "Command2");
}

// An old Japanese disc: names in code page 932 on the disc and in its LZH and zip. A key
// typed in UTF-8 finds what the window shows; the copies take the shown names, in UTF-8;
// the report names each packed file as its hit line does.
TEST_F(CopyWindowTest, OldJapaneseNamesAndPackedFilesAreFoundCopiedAndLoggedAsShown) {
    const std::string estimate = "\x8c\xa9\x90\xcf\x8f\x91"; // 見積書 in code page 932
    const std::string disc = (dir / "disc").string();
    dir.write("disc/" + estimate + ".txt", "on the disc");
    dir.write("disc/other.txt", "not wanted");
    std::filesystem::create_directories(dir / "disc/arc");
    std::ofstream(disc + "/arc/old.lzh", std::ios::binary)
        << StoredLzh({{"docs\\" + estimate + "_lzh.txt", "in the lzh"}, {"x.txt", "x"}});
    dir.write("zipped/" + estimate + "_zip.txt", "in the zip");
    ASSERT_EQ(std::system(("cd '" + dir.str() + "/zipped' && zip -q '" + disc + "/arc/old.zip' " +
                           estimate + "_zip.txt")
                              .c_str()),
              0);
    std::filesystem::create_directory(dir / "out");
    MainWindow main(session);
    main.show();
    control<DriveList>(&main, "Drive1")->setDrive(disc);
    typeJapanese(control<QLineEdit>(&main, "Text1"), "古い文書");
    click(&main, "Command3");

    click(&main, "Command1(1)");
    auto* key = control<QLineEdit>(&main, "Text3");
    key->clear();
    QTest::keyClicks(key, "*");
    typeJapanese(key, "見積書");
    QTest::keyClicks(key, "*");
    click(&main, "Command6");
    CopyWindow* copy = main.copyWindow();
    ASSERT_NE(copy, nullptr);
    Lines shown;
    for (int row = 0; row < hitList(copy)->model()->rowCount(); ++row) {
        shown.push_back(hitList(copy)->model()->index(row, 0).data().toString().toStdString());
    }
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, (Lines{"[古い文書]old.lzh > docs/見積書_lzh.txt",
                            "[古い文書]old.zip > 見積書_zip.txt", "[古い文書]見積書.txt"}));
    ASSERT_TRUE(folders(copy)->setPath((dir / "out").string()));
    click(copy, "Command3");
    click(copy, "Command1");
    const std::string log = report(copy);
    for (const std::string& line :
         {disc + "/見積書.txt\n***Copy Normal End\n",
          disc + "/arc/old.lzh > docs/見積書_lzh.txt\n***Copy Normal End\n",
          disc + "/arc/old.zip > 見積書_zip.txt\n***Copy Normal End\n"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line << log;
    }
    EXPECT_EQ(dir.read("out/見積書.txt"), "on the disc");
    EXPECT_EQ(dir.read("out/見積書_lzh.txt"), "in the lzh");
    EXPECT_EQ(dir.read("out/見積書_zip.txt"), "in the zip");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "out"), {}), 3);
    click(copy->reportWindow(), "Command1");
    click(copy, "Command2");
}

TEST_F(CopyWindowTest, ControlsAreDisabledWhileACopyRunsAndClosingAsksFirst) {
    dir.write("disc/a.txt", "alpha");
    dir.write("disc/b.txt", "beta");
    std::filesystem::create_directory(dir / "out");
    CopyWindow* form = opened({FileHit(1, (dir / "disc/a.txt").string(), "a.txt", "T", "0"),
                               FileHit(2, (dir / "disc/b.txt").string(), "b.txt", "T", "0")});
    form->show();
    ASSERT_TRUE(folders(form)->setPath((dir / "out").string()));
    click(form, "Command3");
    bool closedDuringCopy = true;
    QStringList enabled;
    // The disc question comes while the copy runs: the close box and Escape are answered
    // Cancel, the disc question OK.
    dialogs.answers = {Answer::Cancel, Answer::Cancel, Answer::Ok};
    dialogs.onMessage = [&](const std::string& text) {
        if (text != "Tのメディアをセットして下さい。") {
            return;
        }
        for (const char* name :
             {"Command1", "Command2", "Command3", "Command4", "List1", "Dir1", "Drive1"}) {
            if (control(form, name)->isEnabled()) {
                enabled << name;
            }
        }
        closedDuringCopy = form->close();
        QTest::keyClick(form, Qt::Key_Escape);
    };
    click(form, "Command1");
    dialogs.onMessage = nullptr;
    EXPECT_TRUE(enabled.isEmpty()) << enabled.join(" ").toStdString();
    EXPECT_FALSE(closedDuringCopy);
    EXPECT_TRUE(form->isVisible());
    const std::string asked = "message ファイルのコピー [OK/Cancel]: コピー中です。コピーを中止して"
                              "閉じますか？\nコピーの済んだファイルはそのまま残ります。";
    EXPECT_EQ(transcript.only("message"),
              (Lines{"message ファイルのコピー [OK/Cancel]: Tのメディアをセットして下さい。", asked,
                     asked}));
    EXPECT_EQ(dir.read("out/a.txt"), "alpha");
    EXPECT_EQ(dir.read("out/b.txt"), "beta");
    ASSERT_NE(form->reportWindow(), nullptr);
    click(form->reportWindow(), "Command1");
    EXPECT_TRUE(form->close());
}

TEST_F(CopyWindowTest, ClosingDuringTheDiscQuestionStopsTheCopy) {
    for (const char* name : {"a", "b", "c"}) {
        dir.write(std::string("disc/") + name + ".txt", name);
    }
    std::filesystem::create_directory(dir / "out");
    QPointer<CopyWindow> form =
        opened({FileHit(1, (dir / "disc/a.txt").string(), "a.txt", "T", "0"),
                FileHit(2, (dir / "disc/b.txt").string(), "b.txt", "T", "0"),
                FileHit(3, (dir / "disc/c.txt").string(), "c.txt", "T", "0")});
    form->show();
    ASSERT_TRUE(folders(form)->setPath((dir / "out").string()));
    click(form, "Command3");
    // Closed during the disc question and the close answered OK: the question is taken
    // as cancelled, and the window goes once the copy has stopped.
    dialogs.answers = {Answer::Ok, Answer::Ok};
    dialogs.onMessage = [&](const std::string& text) {
        if (text == "Tのメディアをセットして下さい。") {
            form->close();
        }
    };
    control<QAbstractButton>(form, "Command1")->click();
    ASSERT_TRUE(QTest::qWaitFor([&form] { return form.isNull(); }, 20000));
    dialogs.onMessage = nullptr;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "out"), {}), 0);
    EXPECT_EQ(transcript.only("message").size(), 2u) << "no report, no further question";
}

TEST_F(CopyWindowTest, TheClickedLineIsTheFileCopied) {
    dir.write("disc/a.txt", "alpha");
    dir.write("disc/b.txt", "beta");
    std::filesystem::create_directory(dir / "out");
    CopyWindow* form = opened({FileHit(1, (dir / "disc/a.txt").string(), "a.txt", "T", "0"),
                               FileHit(2, (dir / "disc/b.txt").string(), "b.txt",
                                       "長いタイトル" + std::string(300, 'x'), "0")});
    form->show();
    ASSERT_TRUE(folders(form)->setPath((dir / "out").string()));
    clickLine(form, 1, 80);
    EXPECT_EQ(form->markedLines(), (std::vector<std::size_t>{1}));
    click(form, "Command1");
    EXPECT_FALSE(std::filesystem::exists(dir / "out/a.txt"));
    EXPECT_EQ(dir.read("out/b.txt"), "beta");
}

TEST_F(CopyWindowTest, CopyOntoItselfIsLoggedAsAnErrorAndTheFileStays) {
    dir.write("disc/a.txt", "alpha");
    CopyWindow* form = opened({FileHit(1, (dir / "disc/a.txt").string(), "a.txt", "T", "0")});
    ASSERT_TRUE(folders(form)->setPath((dir / "disc").string()));
    click(form, "Command3");
    click(form, "Command1");
    EXPECT_EQ(dir.read("disc/a.txt"), "alpha");
    EXPECT_EQ(report(form), (dir / "disc/a.txt").string() +
                                "\n***Copy Error: コピー先がコピー元と同じファイルです。\n");
}

TEST_F(CopyWindowTest, ReportWindowGrowsWithItsLogAndItsCloseBoxLeavesTheProgress) {
    dir.write("disc/a.txt", "alpha");
    std::filesystem::create_directory(dir / "out");
    CopyWindow* form = opened({FileHit(1, (dir / "disc/a.txt").string(), "a.txt", "T", "0")});
    ASSERT_TRUE(folders(form)->setPath((dir / "out").string()));
    click(form, "Command3");
    click(form, "Command1");
    ReportWindow* reportWindow = form->reportWindow();
    ASSERT_NE(reportWindow, nullptr);
    EXPECT_EQ(reportWindow->size(), QSize(436, 240));
    const QRect log = control(reportWindow, "Text1")->geometry();
    reportWindow->resize(reportWindow->size() + QSize(300, 50));
    QCoreApplication::processEvents();
    EXPECT_EQ(control(reportWindow, "Text1")->geometry(), log.adjusted(0, 0, 300, 50));
    reportWindow->close();
    EXPECT_EQ(control<QLabel>(form, "Label1")->text(), "100%") << "the close box resets nothing";
}

// An image file moved after it was registered: COPY names the path it had and lets the user
// point at where it is now. Another image under its name is refused, the same image taken,
// and the rest of its files are read from there.
TEST_F(CopyWindowTest, AMovedImageIsAskedForByItsPathAndFoundWhereTheUserPointsAtIt) {
    const std::string big(300000, 'j');
    dir.write("photos/DCIM/a.jpg", big);
    dir.write("photos/DCIM/b.jpg", "bee");
    dir.write("twin/DCIM/a.jpg", "another a");
    dir.write("twin/DCIM/b.jpg", "bee");
    std::filesystem::create_directories(dir / "isos");
    std::filesystem::create_directories(dir / "moved");
    std::filesystem::create_directories(dir / "burnt-again");
    std::filesystem::create_directories(dir / "out");
    const std::string image = (dir / "isos/PHOTOS.iso").string();
    const std::string moved = (dir / "moved/PHOTOS.iso").string();
    // Another image of the same name and label, made later.
    const std::string twin = (dir / "burnt-again/PHOTOS.iso").string();
    ASSERT_TRUE(MakeDiscImage(dir.str() + "/photos", image, "PHOTOS", "20030601100000"));
    ASSERT_TRUE(MakeDiscImage(dir.str() + "/twin", twin, "PHOTOS", "20040601100000"));
    ImageFileSystem images{files};
    Session imageSession{{images, tray, dialogs, clock, numbers}, catalog, nullptr};
    RecordingRegisterSink registering{transcript};
    ASSERT_EQ(RegisterDisc(imageSession.platform, catalog, image, "Photos", registering),
              Registration::Registered);
    std::filesystem::rename(image, moved);

    MainWindow main(imageSession);
    main.show();
    CopyWindow* copy = find(main, "*.jpg");
    ASSERT_NE(copy, nullptr);
    ASSERT_TRUE(folders(copy)->setPath((dir / "out").string()));
    click(copy, "Command3");
    transcript.lines.clear();
    dialogs.openNames = {twin, moved};
    click(copy, "Command1");

    const std::string question =
        "message ファイルのコピー [OK/Cancel]: 「Photos」のイメージファイル「" + image +
        "」が見つかりません。\n「Photos」のイメージファイルの場所を指定しますか？";
    const std::string picker = "open dialog ディスクのイメージファイルを選択 ディスクイメージ "
                               "(*.iso *.img *.bin *.cue *.nrg *.mdf *.udf)|*.iso *.img *.bin "
                               "*.cue *.nrg *.mdf *.udf|すべてのファイル (*)|*";
    EXPECT_EQ(transcript.lines,
              (std::vector<std::string>{
                  question, picker + " [" + image + "]",
                  "message ファイルのコピー: このディスクは「Photos」ではありません。", question,
                  picker + " [" + image + "]"}));
    EXPECT_EQ(dir.read("out/a.jpg"), big);
    EXPECT_EQ(dir.read("out/b.jpg"), "bee");
    EXPECT_EQ(report(copy), image + "/DCIM/a.jpg\n***Copy Normal End\n" + image +
                                "/DCIM/b.jpg\n***Copy Normal End\n");

    // Cancel at the question stops the copy with nothing copied.
    std::filesystem::remove_all(dir / "out");
    std::filesystem::create_directories(dir / "out");
    click(copy->reportWindow(), "Command1");
    transcript.lines.clear();
    dialogs.answers = {Answer::Cancel};
    click(copy, "Command1");
    EXPECT_EQ(transcript.lines, (std::vector<std::string>{question}));
    EXPECT_TRUE(std::filesystem::is_empty(dir / "out"));
    click(copy, "Command2");
}

} // namespace
} // namespace orbisk
