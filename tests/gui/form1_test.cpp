#include "gui/gui_fixture.h"
#include "platform/qt/message_dialog.h"
#include "support/catalog_rows.h"
#include "windows/drive_list.h"
#include "windows/form1.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

namespace orbisk {
namespace {

using namespace testing;

class MainWindow : public GuiTest {};

TEST_F(MainWindow, StartsWithBothPanelsHiddenEditDisabledAndAll) {
    Catalog(catalog).storeTitle("Disc A");
    Form1 form(session, windows);
    form.show();
    EXPECT_EQ(form.windowTitle(), "Orbisk");
    EXPECT_EQ(form.size(), QSize(498, 239));
    EXPECT_FALSE(form.Frame1->isVisible());
    EXPECT_FALSE(form.Frame2->isVisible());
    EXPECT_TRUE(form.Command1[0]->isEnabled());
    EXPECT_TRUE(form.Command1[1]->isEnabled());
    EXPECT_FALSE(form.Command1[2]->isEnabled());
    EXPECT_EQ(form.Combo1->currentText(), "ALL");
    ASSERT_EQ(form.Combo1->count(), 2);
    EXPECT_EQ(form.Combo1->itemText(1), "Disc A");
    EXPECT_EQ(form.Label1[2]->text(), "0%");
    EXPECT_TRUE(transcript.lines.empty());
}

TEST_F(MainWindow, PictureButtonsShowOnePanelAtTheSamePlace) {
    Form1 form(session, windows);
    form.show();
    form.Command1[0]->click();
    EXPECT_TRUE(form.Frame1->isVisible());
    EXPECT_FALSE(form.Frame2->isVisible());
    form.Text1->setText("typed title");
    form.Command1[1]->click();
    EXPECT_FALSE(form.Frame1->isVisible());
    EXPECT_TRUE(form.Frame2->isVisible());
    form.Command1[1]->click();
    EXPECT_TRUE(form.Frame2->isVisible());
    form.Command1[0]->click();
    EXPECT_EQ(form.Text1->text(), "typed title");
    form.Command4->click();
    EXPECT_FALSE(form.Frame1->isVisible());
    EXPECT_FALSE(form.Frame2->isVisible());
    form.Command1[1]->click();
    form.Command5->click();
    EXPECT_FALSE(form.Frame2->isVisible());
    EXPECT_EQ(form.Frame1->geometry(), QRect(240, 136, 241, 89));
    EXPECT_EQ(form.Frame2->geometry(), QRect(240, 136, 241, 89));
    EXPECT_GE(form.Frame1->y(), form.Command1[0]->geometry().bottom());
}

TEST_F(MainWindow, TypedTitleStaysAsTypedAndIsSearchedInAnyLetterCase) {
    Catalog(catalog).storeTitle("ALL");
    Catalog(catalog).storeFileRow({"/disc/a.txt", "All", "a.txt", "txt", "0", "2026-12-07"});
    Catalog(catalog).storeFileRow({"/disc/b.txt", "other", "b.txt", "txt", "0", "2026-12-07"});
    Form1 form(session, windows);
    form.show();
    form.Command1[1]->click();
    form.Combo1->setFocus();
    form.Combo1->lineEdit()->clear();
    QTest::keyClicks(form.Combo1->lineEdit(), "all");
    QTest::keyClick(form.Combo1->lineEdit(), Qt::Key_Return);
    form.Text3->setFocus();
    EXPECT_EQ(form.Combo1->currentText(), "all");
    form.Text3->setText("*");
    whenShown(copyWindowShown(), [this] { windows.copyWindow()->Command2->click(); });
    form.Command6->click();
    ASSERT_EQ(session.hits.HitCount, 1);
    EXPECT_EQ(session.hits.forLine(0).HitTitle, "All");
}

TEST_F(MainWindow, MissingCatalogueStillOpensWithAllAndSaysWhy) {
    std::filesystem::remove(catalog);
    Form1 form(session, windows);
    EXPECT_EQ(form.Combo1->count(), 1);
    EXPECT_EQ(form.Combo1->currentText(), "ALL");
    ASSERT_EQ(transcript.only("message").size(), 1u);
    EXPECT_EQ(transcript.only("message")[0].rfind(
                  "message Orbisk: カタログを開けませんでした。\n" + catalog.string(), 0),
              0u);
}

TEST_F(MainWindow, AddRegistersAFolderRefreshesTheTitlesAndGivesTheControlsBack) {
    dir.write("disc/readme.txt", "hello");
    dir.write("disc/sub/photo.jpg", std::string(3000, 'x'));
    Form1 form(session, windows);
    form.show();
    form.Command1[0]->click();
    form.Drive1->setDrive((dir / "disc").string());
    form.Text1->setText("写真 2026");
    form.Command3->click();

    const auto rows = tableRows(catalog, "MediaTable");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], (dir / "disc/readme.txt").string());
    EXPECT_EQ(rows[1][0], (dir / "disc/sub/photo.jpg").string());
    EXPECT_EQ(rows[1][4], "3");
    EXPECT_EQ(form.Combo1->itemText(1), "写真 2026");
    EXPECT_EQ(transcript.only("message"),
              (std::vector<std::string>{"message データベースの構築: 完了しました。"}));
    EXPECT_EQ(transcript.lines.back(), "tray set cdaudio door open");
    for (QWidget* control :
         std::initializer_list<QWidget*>{form.Drive1, form.Text1, form.Command3, form.Command4,
                                         form.Command1[0], form.Command1[1], form.Command1[2]}) {
        EXPECT_TRUE(control->isEnabled());
    }
    EXPECT_EQ(form.windowTitle(), "Orbisk");
    EXPECT_EQ(form.ProgressBar1->maximum(), 2);
    EXPECT_EQ(form.ProgressBar1->value(), 0);
}

TEST_F(MainWindow, EnterInTitleRunsAddAndEnterInKeyRunsFind) {
    dir.write("disc/a.txt", "a");
    Form1 form(session, windows);
    form.show();
    form.Command1[0]->click();
    form.Drive1->setDrive((dir / "disc").string());
    form.Text1->setText("Enter");
    QTest::keyClick(form.Text1, Qt::Key_Return);
    EXPECT_EQ(tableRows(catalog, "MediaTable").size(), 1u);

    form.Command1[1]->click();
    form.Text3->setText("*.txt");
    bool shown = false;
    whenShown(copyWindowShown(), [&] {
        shown = true;
        windows.copyWindow()->Command2->click();
    });
    QTest::keyClick(form.Text3, Qt::Key_Return);
    EXPECT_TRUE(shown);
    EXPECT_EQ(session.hits.HitCount, 1);
}

TEST_F(MainWindow, WindowCannotBeClosedWhileARegistrationRuns) {
    dir.write("disc/a.txt", "a");
    Form1 form(session, windows);
    form.show();
    form.Drive1->setDrive((dir / "disc").string());
    form.Text1->setText("T");
    bool closedDuringRun = true;
    // The completion message comes while the command still runs.
    dialogs.onMessage = [&](const std::string&) { closedDuringRun = form.close(); };
    form.Command3->click();
    EXPECT_FALSE(closedDuringRun);
    const auto* notice = form.findChild<MessageDialog*>("notice");
    ASSERT_NE(notice, nullptr) << "the refusal is said, not silent";
    EXPECT_EQ(notice->textView()->toPlainText(),
              "登録中は閉じられません。登録が終わるまでお待ち下さい。");
    EXPECT_FALSE(notice->isModal());
    dialogs.onMessage = nullptr;
    EXPECT_TRUE(form.close());
}

} // namespace
} // namespace orbisk
