#include "copy/form2.h"
#include "gui/gui_fixture.h"
#include "platform/qt/message_dialog.h"
#include "report/form3.h"
#include "support/catalog_rows.h"
#include "windows/drive_list.h"
#include "windows/folder_list.h"
#include "windows/form1.h"

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

class CopyWindow : public GuiTest {
protected:
    Form2& filled(int lines) {
        auto& list = windows.hitList();
        std::vector<std::string> text;
        for (int i = 0; i < lines; ++i) {
            text.push_back("[A]file" + std::to_string(i));
        }
        list.clearList();
        list.appendLines(text);
        return *windows.copyWindow();
    }
    void clickLine(Form2& form, int line) {
        const QRect rect = form.List1->visualRect(form.List1->model()->index(line, 0));
        QTest::mouseClick(form.List1->viewport(), Qt::LeftButton, {}, rect.center());
    }
};

TEST_F(CopyWindow, ClickTogglesMarksAndSelectAllKeepsThemWhileMarkingEveryLine) {
    Form2& form = filled(3);
    form.show();
    clickLine(form, 1);
    EXPECT_TRUE(form.isMarked(1));
    EXPECT_FALSE(form.isMarked(0));
    clickLine(form, 2);
    clickLine(form, 2);
    EXPECT_FALSE(form.isMarked(2));
    form.Command3->click();
    EXPECT_TRUE(form.isMarked(0) && form.isMarked(1) && form.isMarked(2));
    form.Command4->click();
    EXPECT_FALSE(form.isMarked(0) || form.isMarked(1) || form.isMarked(2));
}

TEST_F(CopyWindow, ListKeepsTheOrderOfItsLinesAndHoldsMoreThan32767) {
    Form2& form = filled(40000);
    EXPECT_EQ(form.itemCount(), 40000);
    EXPECT_EQ(form.List1->model()->index(39999, 0).data().toString(), "[A]file39999");
    form.Command3->click();
    EXPECT_TRUE(form.isMarked(39999));
}

TEST_F(CopyWindow, ClosingDestroysItAndTheNextSearchGetsAFreshOne) {
    Form2& form = filled(2);
    form.Command3->click();
    form.setProgressMax(2);
    form.setProgressValue(2);
    form.setPercentLabel("100%");
    QPointer<Form2> old(&form);
    whenShown(copyWindowShown(), [&form] { form.Command2->click(); });
    form.showModal();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(old.isNull());
    Form2& fresh = filled(2);
    EXPECT_FALSE(fresh.isMarked(0));
    EXPECT_EQ(fresh.PB1->value(), 0);
    EXPECT_EQ(fresh.PB1->maximum(), 100);
    EXPECT_EQ(fresh.Label1->text(), "0%");
    EXPECT_EQ(fresh.targetFolder(), std::filesystem::current_path().string());
}

TEST_F(CopyWindow, TargetIsTheOpenedFolderNotTheHighlightedOne) {
    std::filesystem::create_directories(dir / "target/inner");
    Form2& form = filled(1);
    ASSERT_TRUE(form.Dir1->setPath((dir / "target").string()));
    EXPECT_EQ(form.targetFolder(), (dir / "target").string());
    const auto items = form.Dir1->findItems("inner", Qt::MatchContains);
    ASSERT_EQ(items.size(), 1);
    form.Dir1->setCurrentItem(items[0]);
    EXPECT_EQ(form.targetFolder(), (dir / "target").string()) << "highlighting opens nothing";
    emit form.Dir1->itemActivated(items[0]);
    EXPECT_EQ(form.targetFolder(), (dir / "target/inner").string());
}

TEST_F(CopyWindow, FolderListShowsNamesThatAreNotUtf8AndFullPathsAsTips) {
    const std::string sjis = "\x83\x65\x83\x58\x83\x67"; // "テスト" from an old disc
    const std::string broken = "\xff\xfe";               // neither UTF-8 nor Shift-JIS
    std::filesystem::create_directories(dir / "target" / sjis);
    std::filesystem::create_directories(dir / "target" / broken);
    Form2& form = filled(1);
    ASSERT_TRUE(form.Dir1->setPath((dir / "target").string()));
    const auto shown = form.Dir1->findItems("テスト", Qt::MatchContains);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(form.Dir1->findItems("\uFFFD\uFFFD", Qt::MatchContains).size(), 1);
    EXPECT_EQ(form.Dir1->toolTip(), QString::fromStdString((dir / "target").string()));
    EXPECT_EQ(shown[0]->toolTip(), QString::fromStdString((dir / "target").string() + "/テスト"));
    emit form.Dir1->itemActivated(shown[0]);
    EXPECT_EQ(form.targetFolder(), (dir / "target" / sjis).string()) << "the bytes are kept";
}

TEST_F(CopyWindow, LongLinesAreShownWholeAndTheListScrollsSideways) {
    Form2& form = filled(3);
    form.appendLines({"[" + std::string(400, 'T') + "]long.txt"});
    form.show();
    QCoreApplication::processEvents();
    const QModelIndex last = form.List1->model()->index(3, 0);
    EXPECT_GE(form.List1->visualRect(last).width(),
              form.List1->fontMetrics().horizontalAdvance(last.data().toString()));
    EXPECT_GT(form.List1->horizontalScrollBar()->maximum(), 0);
    clickLine(form, 3);
    EXPECT_TRUE(form.isMarked(3));
    EXPECT_EQ(form.List1->horizontalScrollBar()->value(), 0) << "a click keeps the list's start";
}

TEST_F(CopyWindow, TargetFolderPickerSaysWhatItPicks) {
    Form2& form = filled(1);
    form.show();
    QString title;
    whenShown([] { return QApplication::activeModalWidget(); },
              [&] {
                  title = QApplication::activeModalWidget()->windowTitle();
                  QApplication::activeModalWidget()->close();
              });
    emit form.Drive1->activated(form.Drive1->count() - 1);
    EXPECT_EQ(title, "コピー先のフォルダを選択");
}

TEST_F(CopyWindow, DriveChangeMovesTheFolderListAndAnUnreadyDriveIsUndone) {
    Form2& form = filled(1);
    form.Drive1->setDrive(dir.str());
    emit form.Drive1->driveChanged();
    EXPECT_EQ(form.targetFolder(), dir.str());
    form.Drive1->setDrive("/dev/sr9");
    emit form.Drive1->driveChanged();
    EXPECT_EQ(form.targetFolder(), dir.str());
    EXPECT_EQ(form.Drive1->driveText(), files.driveOfPath(dir.str()));
}

// Register a real folder, search it, mark everything, copy it into another folder and
// read the report: the whole way a user goes.
TEST_F(CopyWindow, RegisterSearchSelectAllCopyAndReport) {
    const std::string big(200000, 'b');
    dir.write("disc/a.txt", "alpha");
    dir.write("disc/docs/b.txt", big);
    dir.write("disc/docs/c.doc", "not wanted");
    std::filesystem::create_directory(dir / "out");
    Form1 main(session, windows);
    main.show();
    main.Drive1->setDrive((dir / "disc").string());
    main.Text1->setText("Disc 1");
    main.Command3->click();

    std::string report;
    whenShown(copyWindowShown(), [&] {
        Form2* copy = windows.copyWindow();
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->windowTitle(), "Orbisk [FileCopy]     2件が見つかりました。");
        ASSERT_TRUE(copy->Dir1->setPath((dir / "out").string()));
        copy->Command3->click();
        whenShown(reportWindowShown(), [&] {
            Form3* form3 = windows.reportWindow();
            ASSERT_NE(form3, nullptr);
            report = form3->Text1->toPlainText().toStdString();
            EXPECT_EQ(copy->Label1->text(), "100%");
            form3->Command1->click();
            EXPECT_EQ(copy->Label1->text(), "0%");
            EXPECT_EQ(copy->PB1->maximum(), 100);
        });
        copy->Command1->click();
        copy->Command2->click();
    });
    main.Text3->setText("*.txt");
    main.Combo1->setEditText("ALL");
    main.Command6->click();

    EXPECT_EQ(dir.read("out/a.txt"), "alpha");
    EXPECT_EQ(dir.read("out/b.txt"), big);
    EXPECT_FALSE(std::filesystem::exists(dir / "out/c.doc"));
    EXPECT_EQ(report, (dir / "disc/a.txt").string() + "\n***Copy Normal End\n" +
                          (dir / "disc/docs/b.txt").string() + "\n***Copy Normal End\n");
    EXPECT_EQ(transcript.count(
                  "message ファイルのコピー [OK/Cancel]: Disc 1のメディアをセットして下さい。"),
              1u);
}

TEST_F(CopyWindow, WindowCannotBeClosedWhileACopyRuns) {
    dir.write("disc/a.txt", "alpha");
    std::filesystem::create_directory(dir / "out");
    session.hits.rows = {{}, {(dir / "disc/a.txt").string(), "a.txt", "T"}};
    Form2& form = filled(1);
    form.show();
    ASSERT_TRUE(form.Dir1->setPath((dir / "out").string()));
    form.Command3->click();
    bool closedDuringCopy = true;
    // The disc question comes while the copy runs.
    dialogs.onMessage = [&](const std::string&) {
        closedDuringCopy = form.close();
        QTest::keyClick(&form, Qt::Key_Escape);
    };
    whenShown(reportWindowShown(), [&] { windows.reportWindow()->close(); });
    form.Command1->click();
    EXPECT_FALSE(closedDuringCopy);
    EXPECT_TRUE(form.isVisible());
    ASSERT_NE(form.findChild<MessageDialog*>("notice"), nullptr);
    EXPECT_EQ(dir.read("out/a.txt"), "alpha");
    dialogs.onMessage = nullptr;
    EXPECT_TRUE(form.close());
}

TEST_F(CopyWindow, TheClickedLineIsTheFileCopied) {
    dir.write("disc/a.txt", "alpha");
    dir.write("disc/b.txt", "beta");
    std::filesystem::create_directory(dir / "out");
    session.hits.rows = {
        {},
        {(dir / "disc/a.txt").string(), "a.txt", "T"},
        {(dir / "disc/b.txt").string(), "b.txt", "長いタイトル" + std::string(300, 'x')}};
    windows.hitList().clearList();
    Form2& form = *windows.copyWindow();
    form.appendLines({"[T]a.txt", "[長いタイトル" + std::string(300, 'x') + "]b.txt"});
    form.show();
    ASSERT_TRUE(form.Dir1->setPath((dir / "out").string()));
    const QRect second = form.List1->visualRect(form.List1->model()->index(1, 0));
    QTest::mouseClick(form.List1->viewport(), Qt::LeftButton, {}, QPoint(80, second.center().y()));
    EXPECT_FALSE(form.isMarked(0));
    EXPECT_TRUE(form.isMarked(1));
    whenShown(reportWindowShown(), [&] { windows.reportWindow()->close(); });
    form.Command1->click();
    EXPECT_FALSE(std::filesystem::exists(dir / "out/a.txt"));
    EXPECT_EQ(dir.read("out/b.txt"), "beta");
}

TEST_F(CopyWindow, CopyOntoItselfIsLoggedAsAnErrorAndTheFileStays) {
    dir.write("disc/a.txt", "alpha");
    session.hits.rows = {{}, {(dir / "disc/a.txt").string(), "a.txt", "T"}};
    Form2& form = filled(1);
    ASSERT_TRUE(form.Dir1->setPath((dir / "disc").string()));
    form.Command3->click();
    std::string report;
    whenShown(reportWindowShown(), [&] {
        report = windows.reportWindow()->Text1->toPlainText().toStdString();
        windows.reportWindow()->close();
    });
    form.Command1->click();
    EXPECT_EQ(dir.read("disc/a.txt"), "alpha");
    EXPECT_EQ(report, (dir / "disc/a.txt").string() +
                          "\n***Copy Error: コピー先がコピー元と同じファイルです。\n");
}

} // namespace
} // namespace orbisk
