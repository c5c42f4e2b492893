#include "catalog/row_writer.h"
#include "gui/gui_fixture.h"
#include "search/name_index.h"
#include "services/message_dialog.h"
#include "support/archive_bomb.h"
#include "support/catalog_rows.h"
#include "widgets/drive_list.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <chrono>

namespace orbisk {
namespace {

// The file rows an index answer holds, or nothing when the index did not answer.
inline std::optional<std::vector<std::int64_t>> filesOf(const std::optional<IndexAnswer>& answer) {
    return answer ? std::optional<std::vector<std::int64_t>>(answer->files) : std::nullopt;
}

using namespace testing;

class MainWindowTest : public GuiTest {
protected:
    // The paths of the hits FIND hands to the copy window; the window is closed again.
    static Lines findPaths(MainWindow& window, const std::string& key,
                           const std::string& title = "ALL") {
        CopyWindow* copy = find(window, key, title);
        Lines paths;
        if (copy != nullptr) {
            for (const Hit& hit : copy->hits()) {
                paths.push_back(hit.path);
            }
            click(copy, "Command2");
        }
        return paths;
    }
};

TEST_F(MainWindowTest, StartsWithBothPanelsHiddenAndAllEditOnlyWithATitle) {
    {
        const MainWindow empty(session);
        EXPECT_FALSE(control(&empty, "Command1(2)")->isEnabled())
            << "EDIT has nothing to show in an empty catalogue";
    }
    storeTitle(catalog, "Disc A");
    MainWindow window(session);
    window.show();
    EXPECT_EQ(window.objectName(), "Form1");
    EXPECT_EQ(window.windowTitle(), "Orbisk");
    EXPECT_EQ(window.size(), QSize(498, 239));
    EXPECT_FALSE(control(&window, "Frame1")->isVisible());
    EXPECT_FALSE(control(&window, "Frame2")->isVisible());
    EXPECT_TRUE(control(&window, "Command1(0)")->isEnabled());
    EXPECT_TRUE(control(&window, "Command1(1)")->isEnabled());
    EXPECT_TRUE(control(&window, "Command1(2)")->isEnabled());
    const auto* titles = control<QComboBox>(&window, "Combo1");
    EXPECT_EQ(titles->currentText(), "ALL");
    ASSERT_EQ(titles->count(), 2);
    EXPECT_EQ(titles->itemText(1), "Disc A");
    EXPECT_EQ(control<QLabel>(&window, "Label1(2)")->text(), "0%");
    EXPECT_TRUE(transcript.lines.empty());
}

TEST_F(MainWindowTest, PictureButtonsShowOnePanelAtTheSamePlace) {
    MainWindow window(session);
    window.show();
    QWidget* registerPanel = control(&window, "Frame1");
    QWidget* searchPanel = control(&window, "Frame2");
    click(&window, "Command1(0)");
    EXPECT_TRUE(registerPanel->isVisible());
    EXPECT_FALSE(searchPanel->isVisible());
    control<QLineEdit>(&window, "Text1")->setText("typed title");
    click(&window, "Command1(1)");
    EXPECT_FALSE(registerPanel->isVisible());
    EXPECT_TRUE(searchPanel->isVisible());
    click(&window, "Command1(1)");
    EXPECT_TRUE(searchPanel->isVisible());
    click(&window, "Command1(0)");
    EXPECT_EQ(control<QLineEdit>(&window, "Text1")->text(), "typed title");
    click(&window, "Command4");
    EXPECT_FALSE(registerPanel->isVisible());
    EXPECT_FALSE(searchPanel->isVisible());
    click(&window, "Command1(1)");
    click(&window, "Command5");
    EXPECT_FALSE(searchPanel->isVisible());
    EXPECT_EQ(registerPanel->geometry(), QRect(240, 136, 241, 89));
    EXPECT_EQ(searchPanel->geometry(), QRect(240, 136, 241, 89));
    EXPECT_GE(registerPanel->y(), control(&window, "Command1(0)")->geometry().bottom());
}

TEST_F(MainWindowTest, PanelsHoldTheirControlsBelowTheFrameLineAndClearOfTheCaption) {
    MainWindow window(session);
    window.show();
    for (const char* name : {"Frame1", "Frame2"}) {
        auto* panel = control<QGroupBox>(&window, name);
        panel->show();
        // The frame's top line as drawn, found right of every control.
        const QImage drawn = panel->grab().toImage();
        const int x = drawn.width() - 5;
        int line = -1;
        for (int y = 0; y < drawn.height() && line < 0; ++y) {
            line = qGray(drawn.pixel(x, y)) < 240 ? y : -1;
        }
        ASSERT_GT(line, 0) << name;
        QStyleOptionGroupBox option;
        option.initFrom(panel);
        option.text = panel->title();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        const QRect caption = panel->style()->subControlRect(QStyle::CC_GroupBox, &option,
                                                             QStyle::SC_GroupBoxLabel, panel);
        for (QWidget* child : panel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            EXPECT_GT(child->geometry().top(), line + 1)
                << name << ": " << child->objectName().toStdString();
            EXPECT_FALSE(child->geometry().intersects(caption))
                << name << ": " << child->objectName().toStdString();
        }
    }
}

TEST_F(MainWindowTest, TypedTitleStaysAsTypedAndIsSearchedInAnyLetterCase) {
    storeTitle(catalog, "ALL");
    storeFiles(catalog, {{"/disc/a.txt", "All", "a.txt", "txt", "0", "2026-12-07"},
                         {"/disc/b.txt", "other", "b.txt", "txt", "0", "2026-12-07"}});
    MainWindow window(session);
    window.show();
    click(&window, "Command1(1)");
    auto* titles = control<QComboBox>(&window, "Combo1");
    titles->setFocus();
    titles->lineEdit()->clear();
    QTest::keyClicks(titles->lineEdit(), "all");
    QTest::keyClick(titles->lineEdit(), Qt::Key_Return);
    control(&window, "Text3")->setFocus();
    EXPECT_EQ(titles->currentText(), "all");
    control<QLineEdit>(&window, "Text3")->setText("*");
    click(&window, "Command6");
    ASSERT_NE(window.copyWindow(), nullptr);
    ASSERT_EQ(window.copyWindow()->hits().size(), 1u);
    EXPECT_EQ(window.copyWindow()->hits().at(0).title, "All");
}

TEST_F(MainWindowTest, MissingCatalogueStillOpensWithAllAndSaysWhy) {
    std::filesystem::remove(catalog);
    MainWindow window(session);
    const auto* titles = control<QComboBox>(&window, "Combo1");
    EXPECT_EQ(titles->count(), 1);
    EXPECT_EQ(titles->currentText(), "ALL");
    ASSERT_EQ(transcript.only("message").size(), 1u);
    EXPECT_EQ(transcript.only("message")[0].rfind(
                  "message Orbisk: カタログを開けませんでした。\n" + catalog.string(), 0),
              0u);
}

TEST_F(MainWindowTest, AddRegistersAFolderRefreshesTheTitlesAndGivesTheControlsBack) {
    dir.write("disc/readme.txt", "hello");
    dir.write("disc/sub/photo.jpg", std::string(3000, 'x'));
    MainWindow window(session);
    window.show();
    click(&window, "Command1(0)");
    control<DriveList>(&window, "Drive1")->setDrive((dir / "disc").string());
    control<QLineEdit>(&window, "Text1")->setText("写真 2026");
    click(&window, "Command3");

    const auto rows = tableRows(catalog, "MediaTable");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], (dir / "disc/readme.txt").string());
    EXPECT_EQ(rows[1][0], (dir / "disc/sub/photo.jpg").string());
    EXPECT_EQ(rows[1][4], "3");
    EXPECT_EQ(control<QComboBox>(&window, "Combo1")->itemText(1), "写真 2026");
    EXPECT_EQ(transcript.only("message"),
              (std::vector<std::string>{"message データベースの構築: 完了しました。"}));
    EXPECT_EQ(transcript.lines.back(), "tray set cdaudio door open");
    for (const char* name :
         {"Drive1", "Text1", "Command3", "Command4", "Command1(0)", "Command1(1)", "Command1(2)"}) {
        EXPECT_TRUE(control(&window, name)->isEnabled()) << name;
    }
    EXPECT_EQ(window.windowTitle(), "Orbisk");
    EXPECT_EQ(control<QProgressBar>(&window, "ProgressBar1")->maximum(), 2);
    EXPECT_EQ(control<QProgressBar>(&window, "ProgressBar1")->value(), 0);
}

TEST_F(MainWindowTest, TheDriveListNamesTheRegisteredDiscInADrive) {
    dir.write("disc/readme.txt", "hello");
    MainWindow window(session);
    window.show();
    click(&window, "Command1(0)");
    auto* drives = control<DriveList>(&window, "Drive1");
    drives->setDrive((dir / "disc").string());
    EXPECT_EQ(drives->toolTip().toStdString(), (dir / "disc").string()) << "not registered yet";
    control<QLineEdit>(&window, "Text1")->setText("写真 2026");
    click(&window, "Command3");
    drives->showPopup(); // read again on opening
    drives->hidePopup();
    EXPECT_EQ(drives->toolTip().toStdString(),
              (dir / "disc").string() + "\n登録済みのディスク: 「写真 2026」");
}

TEST_F(MainWindowTest, EnterInTitleRunsAddAndEnterInKeyRunsFind) {
    dir.write("disc/a.txt", "a");
    MainWindow window(session);
    window.show();
    click(&window, "Command1(0)");
    control<DriveList>(&window, "Drive1")->setDrive((dir / "disc").string());
    auto* title = control<QLineEdit>(&window, "Text1");
    title->setText("Enter");
    QTest::keyClick(title, Qt::Key_Return);
    waitForWorkers(&window);
    EXPECT_EQ(tableRows(catalog, "MediaTable").size(), 1u);

    click(&window, "Command1(1)");
    auto* key = control<QLineEdit>(&window, "Text3");
    key->setText("*.txt");
    QTest::keyClick(key, Qt::Key_Return);
    ASSERT_NE(window.copyWindow(), nullptr);
    EXPECT_TRUE(window.copyWindow()->isVisible());
    EXPECT_EQ(window.copyWindow()->hits().size(), 1u);
}

TEST_F(MainWindowTest, NameIndexIsKeptUpToDateOffTheWindowsThread) {
    dir.write("disc/report_2003.doc", "r");
    dir.write("disc2/report_2004.doc", "r");
    NameIndex index(dir / "cache/index.names", catalog, files);
    session.index = &index;
    MainWindow window(session);
    window.show();
    // At start the index is brought up to date; until then FIND scans.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return filesOf(index.candidates("*report*", std::nullopt)).has_value(); }, 5000));
    click(&window, "Command1(0)");
    control<DriveList>(&window, "Drive1")->setDrive((dir / "disc").string());
    control<QLineEdit>(&window, "Text1")->setText("One");
    click(&window, "Command3");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return filesOf(index.candidates("*report*", std::nullopt)) ==
                   std::vector<std::int64_t>{1};
        },
        5000))
        << "after a registration the index catches up";
    control<DriveList>(&window, "Drive1")->setDrive((dir / "disc2").string());
    control<QLineEdit>(&window, "Text1")->setText("Two");
    click(&window, "Command3");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return filesOf(index.candidates("*report*", std::nullopt)) ==
                   std::vector<std::int64_t>{1, 2};
        },
        5000));
    click(&window, "Command1(1)");
    EXPECT_EQ(findPaths(window, "*REPORT*").size(), 2u);
}

// The command line and the windows are two front ends on one core: on a catalogue the
// command line registered, both find the same files in the same order.
TEST_F(MainWindowTest, TheCommandLineFindsWhatTheWindowFinds) {
    for (int i = 0; i < 30; ++i) {
        dir.write("tree/folder" + std::to_string(i % 4) + "/file" + std::to_string(i) +
                      (i % 3 == 0 ? ".txt" : ".jpg"),
                  std::string(static_cast<std::size_t>(i), 'x'));
    }
    dir.write("tree/ﾃｽﾄ資料.txt", "t");
    dir.write("tree/Report 2003.doc", "r");
    const auto cli = [this](const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CACHE_HOME", QString::fromStdString((dir / "cache").string()));
        process.setProcessEnvironment(environment);
        process.start(ORBISK_CLI_PROGRAM,
                      QStringList{"--catalog", QString::fromStdString(catalog.string())} +
                          arguments);
        process.waitForFinished(30000);
        return QString::fromUtf8(process.readAllStandardOutput());
    };
    cli({"add", QString::fromStdString((dir / "tree").string()), "--title", "Tree"});
    MainWindow window(session);
    for (const char* key : {"*.txt", "*.jpg", "file1*", "*てすと*", "*report*", "?ile#.*"}) {
        Lines fromCli;
        for (const QString& line : cli({"find", key}).split('\n', Qt::SkipEmptyParts)) {
            fromCli.push_back(line.section('\t', 0, 0).toStdString());
        }
        EXPECT_EQ(findPaths(window, key), fromCli) << key;
        EXPECT_FALSE(fromCli.empty()) << key;
    }
}

TEST_F(MainWindowTest, ClosingDuringARegistrationAsksAndCancelLetsItEnd) {
    dir.write("disc/a.txt", "a");
    MainWindow window(session);
    window.show();
    control<DriveList>(&window, "Drive1")->setDrive((dir / "disc").string());
    control<QLineEdit>(&window, "Text1")->setText("T");
    bool closedDuringRun = true;
    // The completion message comes while the registration still runs; the close box's
    // question is answered Cancel.
    dialogs.answers = {Answer::Cancel};
    dialogs.onMessage = [&](const std::string& text) {
        if (text == "完了しました。") {
            closedDuringRun = window.close();
        }
    };
    click(&window, "Command3");
    dialogs.onMessage = nullptr;
    EXPECT_FALSE(closedDuringRun);
    EXPECT_EQ(
        transcript.only("message"),
        (Lines{"message データベースの構築: 完了しました。",
               "message データベースの構築 [OK/Cancel]: 登録中です。登録を中止して閉じますか？"
               "\nこのディスクは登録されません。"}));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(tableRows(catalog, "MediaTable").size(), 1u);
    EXPECT_EQ(transcript.lines.back(), "tray set cdaudio door open");
    EXPECT_TRUE(window.close()) << "no question once the registration is through";
}

// A disc whose one archive takes the whole listing budget (a few kilobytes that unpack to
// gigabytes): the window stays with the user meanwhile, its caption and progress having
// moved up to the archive, and its close box stops the registration, leaving the
// catalogue as it was.
TEST_F(MainWindowTest, TheCloseBoxAnswersDuringALongListingAndLeavesTheCatalogueAsItWas) {
    storeTitle(catalog, "EARLIER");
    for (int i = 0; i < 300; ++i) {
        dir.write("disc/file" + std::to_string(i) + ".txt", "x");
    }
    std::filesystem::create_directories(dir / "disc/z");
    std::filesystem::rename(MakeArchiveBomb(dir, "bzip2", 256), dir / "disc/z/bomb.tar.bz2");
    MainWindow window(session);
    window.show();
    QStringList captions;
    QObject::connect(&window, &QWidget::windowTitleChanged,
                     [&captions](const QString& caption) { captions << caption; });
    control<DriveList>(&window, "Drive1")->setDrive((dir / "disc").string());
    control<QLineEdit>(&window, "Text1")->setText("Bomb");
    const auto* progress = control<QProgressBar>(&window, "ProgressBar1");
    control<QAbstractButton>(&window, "Command3")->click();
    ASSERT_TRUE(window.registering());
    // Every file before the archive is stored: the archive is being listed.
    ASSERT_TRUE(QTest::qWaitFor([&] { return progress->value() == 300; }, 20000));
    EXPECT_TRUE(captions.contains("Orbisk[0%]解析中...")) << captions.join("|").toStdString();
    EXPECT_GT(captions.filter("]構築中...").size(), 50) << captions.join("|").toStdString();
    EXPECT_FALSE(control(&window, "Command3")->isEnabled());
    // The window's own events run while the archive is listed.
    int ticks = 0;
    QTimer ticking;
    QObject::connect(&ticking, &QTimer::timeout, [&ticks] { ++ticks; });
    ticking.start(10);
    QTest::qWait(500);
    EXPECT_GT(ticks, 10);
    EXPECT_TRUE(window.registering()) << "the listing has its budget of ten seconds";

    dialogs.answers = {Answer::Ok};
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_FALSE(window.close()) << "closed once the registration has stopped";
    EXPECT_EQ(
        transcript.only("message"),
        (Lines{"message データベースの構築 [OK/Cancel]: 登録中です。登録を中止して閉じますか？"
               "\nこのディスクは登録されません。"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 20000));
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(3))
        << "the listing stops when asked, not at its budget";
    EXPECT_FALSE(window.registering());
    EXPECT_EQ(tableRows(catalog, "MediaTable").size(), 0u);
    EXPECT_EQ(tableRows(catalog, "MediaName"), (std::vector<Lines>{{"EARLIER"}}));
    EXPECT_EQ(transcript.only("message").size(), 1u) << "a stop is not a failure to tell";
    EXPECT_EQ(transcript.count("tray set cdaudio door open"), 0u);
    EXPECT_EQ(window.windowTitle(), "Orbisk");
}

} // namespace
} // namespace orbisk
