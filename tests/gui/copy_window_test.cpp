#include "gui/gui_fixture.h"
#include "services/message_dialog.h"
#include "support/catalog_rows.h"
#include "widgets/drive_list.h"
#include "widgets/folder_list.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

namespace orbisk {
namespace {

using namespace testing;

class CopyWindowTest : public GuiTest {
protected:
    MainWindow main{session};

    // The copy window as a search leaves it, with lines "[A]file0" and on.
    CopyWindow& filled(int lines) {
        auto& list = main.hitList();
        std::vector<std::string> text;
        for (int i = 0; i < lines; ++i) {
            text.push_back("[A]file" + std::to_string(i));
        }
        list.clearList();
        list.appendLines(text);
        return *main.copyWindow();
    }
    static QListView* hitList(const CopyWindow& window) {
        return control<QListView>(&window, "List1");
    }
    static FolderList* folders(const CopyWindow& window) {
        return control<FolderList>(&window, "Dir1");
    }
    static DriveList* drives(const CopyWindow& window) {
        return control<DriveList>(&window, "Drive1");
    }
    void clickLine(CopyWindow& form, int line) {
        const QRect rect = hitList(form)->visualRect(hitList(form)->model()->index(line, 0));
        QTest::mouseClick(hitList(form)->viewport(), Qt::LeftButton, {}, rect.center());
    }
    std::function<QWidget*()> copyWindowShown() {
        return [this]() -> QWidget* { return main.copyWindow(); };
    }
    ReportWindow* reportWindow() {
        return main.copyWindow() != nullptr ? main.copyWindow()->reportWindow() : nullptr;
    }
    std::function<QWidget*()> reportWindowShown() {
        return [this]() -> QWidget* { return reportWindow(); };
    }
};

TEST_F(CopyWindowTest, ClickTogglesMarksAndSelectAllKeepsThemWhileMarkingEveryLine) {
    CopyWindow& form = filled(3);
    form.show();
    clickLine(form, 1);
    EXPECT_TRUE(form.isMarked(1));
    EXPECT_FALSE(form.isMarked(0));
    clickLine(form, 2);
    clickLine(form, 2);
    EXPECT_FALSE(form.isMarked(2));
    click(&form, "Command3");
    EXPECT_TRUE(form.isMarked(0) && form.isMarked(1) && form.isMarked(2));
    click(&form, "Command4");
    EXPECT_FALSE(form.isMarked(0) || form.isMarked(1) || form.isMarked(2));
}

TEST_F(CopyWindowTest, ListKeepsTheOrderOfItsLinesAndHoldsMoreThan32767) {
    CopyWindow& form = filled(40000);
    EXPECT_EQ(form.lineCount(), 40000);
    EXPECT_EQ(hitList(form)->model()->index(39999, 0).data().toString(), "[A]file39999");
    click(&form, "Command3");
    EXPECT_TRUE(form.isMarked(39999));
}

TEST_F(CopyWindowTest, ClosingDestroysItAndTheNextSearchGetsAFreshOne) {
    CopyWindow& form = filled(2);
    click(&form, "Command3");
    form.setProgressMax(2);
    form.setProgressValue(2);
    form.setPercentLabel("100%");
    QPointer<CopyWindow> old(&form);
    whenShown(copyWindowShown(), [&form] { click(&form, "Command2"); });
    form.showModal();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(old.isNull());
    CopyWindow& fresh = filled(2);
    EXPECT_FALSE(fresh.isMarked(0));
    EXPECT_EQ(control<QProgressBar>(&fresh, "PB1")->value(), 0);
    EXPECT_EQ(control<QProgressBar>(&fresh, "PB1")->maximum(), 100);
    EXPECT_EQ(control<QLabel>(&fresh, "Label1")->text(), "0%");
    EXPECT_EQ(fresh.targetFolder(), std::filesystem::current_path().string());
}

TEST_F(CopyWindowTest, TargetIsTheOpenedFolderNotTheHighlightedOne) {
    std::filesystem::create_directories(dir / "target/inner");
    CopyWindow& form = filled(1);
    ASSERT_TRUE(folders(form)->setPath((dir / "target").string()));
    EXPECT_EQ(form.targetFolder(), (dir / "target").string());
    const auto items = folders(form)->findItems("inner", Qt::MatchContains);
    ASSERT_EQ(items.size(), 1);
    folders(form)->setCurrentItem(items[0]);
    EXPECT_EQ(form.targetFolder(), (dir / "target").string()) << "highlighting opens nothing";
    emit folders(form)->itemActivated(items[0]);
    EXPECT_EQ(form.targetFolder(), (dir / "target/inner").string());
}

TEST_F(CopyWindowTest, FolderListShowsNamesThatAreNotUtf8AndFullPathsAsTips) {
    const std::string sjis = "\x83\x65\x83\x58\x83\x67"; // "テスト" from an old disc
    const std::string broken = "\xff\xfe";               // neither UTF-8 nor Shift-JIS
    std::filesystem::create_directories(dir / "target" / sjis);
    std::filesystem::create_directories(dir / "target" / broken);
    CopyWindow& form = filled(1);
    ASSERT_TRUE(folders(form)->setPath((dir / "target").string()));
    const auto shown = folders(form)->findItems("テスト", Qt::MatchContains);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(folders(form)->findItems("\uFFFD\uFFFD", Qt::MatchContains).size(), 1);
    EXPECT_EQ(folders(form)->toolTip(), QString::fromStdString((dir / "target").string()));
    EXPECT_EQ(shown[0]->toolTip(), QString::fromStdString((dir / "target").string() + "/テスト"));
    emit folders(form)->itemActivated(shown[0]);
    EXPECT_EQ(form.targetFolder(), (dir / "target" / sjis).string()) << "the bytes are kept";
}

TEST_F(CopyWindowTest, LongLinesAreShownWholeAndTheListScrollsSideways) {
    CopyWindow& form = filled(3);
    form.appendLines({"[" + std::string(400, 'T') + "]long.txt"});
    form.show();
    QCoreApplication::processEvents();
    const QModelIndex last = hitList(form)->model()->index(3, 0);
    EXPECT_GE(hitList(form)->visualRect(last).width(),
              hitList(form)->fontMetrics().horizontalAdvance(last.data().toString()));
    EXPECT_GT(hitList(form)->horizontalScrollBar()->maximum(), 0);
    clickLine(form, 3);
    EXPECT_TRUE(form.isMarked(3));
    EXPECT_EQ(hitList(form)->horizontalScrollBar()->value(), 0) << "a click keeps the list's start";
}

TEST_F(CopyWindowTest, TargetFolderPickerSaysWhatItPicks) {
    CopyWindow& form = filled(1);
    form.show();
    QString title;
    whenShown([] { return QApplication::activeModalWidget(); },
              [&] {
                  title = QApplication::activeModalWidget()->windowTitle();
                  QApplication::activeModalWidget()->close();
              });
    emit drives(form)->activated(drives(form)->count() - 1);
    EXPECT_EQ(title, "コピー先のフォルダを選択");
}

TEST_F(CopyWindowTest, DriveChangeMovesTheFolderListAndAnUnreadyDriveIsUndone) {
    CopyWindow& form = filled(1);
    drives(form)->setDrive(dir.str());
    emit drives(form)->driveChanged();
    EXPECT_EQ(form.targetFolder(), dir.str());
    drives(form)->setDrive("/dev/sr9");
    emit drives(form)->driveChanged();
    EXPECT_EQ(form.targetFolder(), dir.str());
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
    main.show();
    control<DriveList>(&main, "Drive1")->setDrive((dir / "disc").string());
    control<QLineEdit>(&main, "Text1")->setText("Disc 1");
    click(&main, "Command3");

    std::string report;
    whenShown(copyWindowShown(), [&] {
        CopyWindow* copy = main.copyWindow();
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->windowTitle(), "Orbisk [FileCopy]     2件が見つかりました。");
        ASSERT_TRUE(folders(*copy)->setPath((dir / "out").string()));
        click(copy, "Command3");
        whenShown(reportWindowShown(), [&] {
            ReportWindow* form3 = reportWindow();
            ASSERT_NE(form3, nullptr);
            report = control<QPlainTextEdit>(form3, "Text1")->toPlainText().toStdString();
            EXPECT_EQ(control<QLabel>(copy, "Label1")->text(), "100%");
            click(form3, "Command1");
            EXPECT_EQ(control<QLabel>(copy, "Label1")->text(), "0%");
            EXPECT_EQ(control<QProgressBar>(copy, "PB1")->maximum(), 100);
        });
        click(copy, "Command1");
        click(copy, "Command2");
    });
    control<QLineEdit>(&main, "Text3")->setText("*.txt");
    control<QComboBox>(&main, "Combo1")->setEditText("ALL");
    click(&main, "Command6");

    EXPECT_EQ(dir.read("out/a.txt"), "alpha");
    EXPECT_EQ(dir.read("out/b.txt"), big);
    EXPECT_FALSE(std::filesystem::exists(dir / "out/c.doc"));
    EXPECT_EQ(report, (dir / "disc/a.txt").string() + "\n***Copy Normal End\n" +
                          (dir / "disc/docs/b.txt").string() + "\n***Copy Normal End\n");
    EXPECT_EQ(transcript.count(
                  "message ファイルのコピー [OK/Cancel]: Disc 1のメディアをセットして下さい。"),
              1u);
}

TEST_F(CopyWindowTest, WindowCannotBeClosedWhileACopyRuns) {
    dir.write("disc/a.txt", "alpha");
    std::filesystem::create_directory(dir / "out");
    session.hits = {{(dir / "disc/a.txt").string(), "a.txt", "T"}};
    CopyWindow& form = filled(1);
    form.show();
    ASSERT_TRUE(folders(form)->setPath((dir / "out").string()));
    click(&form, "Command3");
    bool closedDuringCopy = true;
    // The disc question comes while the copy runs.
    dialogs.onMessage = [&](const std::string&) {
        closedDuringCopy = form.close();
        QTest::keyClick(&form, Qt::Key_Escape);
    };
    whenShown(reportWindowShown(), [&] { reportWindow()->close(); });
    click(&form, "Command1");
    EXPECT_FALSE(closedDuringCopy);
    EXPECT_TRUE(form.isVisible());
    ASSERT_NE(form.findChild<MessageDialog*>("notice"), nullptr);
    EXPECT_EQ(dir.read("out/a.txt"), "alpha");
    dialogs.onMessage = nullptr;
    EXPECT_TRUE(form.close());
}

TEST_F(CopyWindowTest, TheClickedLineIsTheFileCopied) {
    dir.write("disc/a.txt", "alpha");
    dir.write("disc/b.txt", "beta");
    std::filesystem::create_directory(dir / "out");
    session.hits = {
        {(dir / "disc/a.txt").string(), "a.txt", "T"},
        {(dir / "disc/b.txt").string(), "b.txt", "長いタイトル" + std::string(300, 'x')}};
    main.hitList().clearList();
    CopyWindow& form = *main.copyWindow();
    form.appendLines({"[T]a.txt", "[長いタイトル" + std::string(300, 'x') + "]b.txt"});
    form.show();
    ASSERT_TRUE(folders(form)->setPath((dir / "out").string()));
    const QRect second = hitList(form)->visualRect(hitList(form)->model()->index(1, 0));
    QTest::mouseClick(hitList(form)->viewport(), Qt::LeftButton, {},
                      QPoint(80, second.center().y()));
    EXPECT_FALSE(form.isMarked(0));
    EXPECT_TRUE(form.isMarked(1));
    whenShown(reportWindowShown(), [&] { reportWindow()->close(); });
    click(&form, "Command1");
    EXPECT_FALSE(std::filesystem::exists(dir / "out/a.txt"));
    EXPECT_EQ(dir.read("out/b.txt"), "beta");
}

TEST_F(CopyWindowTest, CopyOntoItselfIsLoggedAsAnErrorAndTheFileStays) {
    dir.write("disc/a.txt", "alpha");
    session.hits = {{(dir / "disc/a.txt").string(), "a.txt", "T"}};
    CopyWindow& form = filled(1);
    ASSERT_TRUE(folders(form)->setPath((dir / "disc").string()));
    click(&form, "Command3");
    std::string report;
    whenShown(reportWindowShown(), [&] {
        report = control<QPlainTextEdit>(reportWindow(), "Text1")->toPlainText().toStdString();
        reportWindow()->close();
    });
    click(&form, "Command1");
    EXPECT_EQ(dir.read("disc/a.txt"), "alpha");
    EXPECT_EQ(report, (dir / "disc/a.txt").string() +
                          "\n***Copy Error: コピー先がコピー元と同じファイルです。\n");
}

} // namespace
} // namespace orbisk
