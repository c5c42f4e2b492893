#include "catalog/row_writer.h"
#include "catalog_window.h"
#include "gui/gui_fixture.h"
#include "image/image_file_system.h"
#include "registration/register_disc.h"
#include "support/catalog_rows.h"
#include "support/disc_images.h"
#include "support/failing_mount.h"
#include "support/recording_views.h"
#include "support/small_disk.h"
#include "verify_window.h"
#include "widgets/disc_list_model.h"
#include "widgets/drive_list.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QFont>
#include <QLabel>
#include <QPointer>
#include <QRegularExpression>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <chrono>
#include <sqlite3.h>
#include <sys/stat.h>

namespace orbisk {
namespace {

using namespace testing;

class CatalogWindowTest : public GuiTest {
protected:
    void SetUp() override {
        registration("Photos 2003", {"/media/PHOTOS/README.TXT", "/media/PHOTOS/docs/b.txt",
                                     "/media/PHOTOS/docs/a.txt", "/media/PHOTOS/写真/x.jpg"});
        registration("Music", {"/media/MUSIC/song.mp3"});
    }
    void registration(const std::string& title, const std::vector<std::string>& paths) {
        std::vector<FileRow> rows;
        for (const std::string& path : paths) {
            const std::string name = path.substr(path.rfind('/') + 1);
            rows.push_back({path, title, name, "", name == "b.txt" ? "1,024" : "2", "2026-12-07"});
        }
        storeFiles(catalog, rows);
        storeTitle(catalog, title);
    }
    // Opens EDIT of the main window, runs check in the catalogue window once its figures
    // are there, and closes it.
    static void inCatalogWindow(MainWindow& main,
                                const std::function<void(CatalogWindow&)>& check) {
        click(&main, "Command1(2)");
        CatalogWindow* window = main.catalogWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible() && window->isModal());
        const QAbstractItemModel* discs = control<QTableView>(window, "discTable")->model();
        // The figures come from a thread of their own.
        EXPECT_TRUE(
            QTest::qWaitFor([discs] { return discs->index(0, 2).data().toString() != "…"; }, 5000));
        check(*window);
        window->close();
    }
    static const QAbstractItemModel* discList(const CatalogWindow& window) {
        return control<QTableView>(&window, "discTable")->model();
    }
    static QStringList column(const QAbstractItemModel* table, int column) {
        QStringList out;
        for (int row = 0; row < table->rowCount(); ++row) {
            out << table->index(row, column).data().toString();
        }
        return out;
    }
    static void waitForTree(const CatalogWindow& window) {
        auto* tree = control<QTreeWidget>(&window, "folderTree");
        EXPECT_TRUE(QTest::qWaitFor([tree] { return tree->topLevelItemCount() > 0; }, 5000));
    }
};

TEST_F(CatalogWindowTest, ShowsEveryDiscWithItsFiguresAndBrowsesTheChosenOne) {
    MainWindow main(session);
    main.show();
    inCatalogWindow(main, [](CatalogWindow& window) {
        const auto* discs = discList(window);
        EXPECT_EQ(column(discs, 0), (QStringList{"Photos 2003", "Music"}));
        EXPECT_EQ(column(discs, 1), (QStringList{"", ""})) << "registered without a volume";
        EXPECT_EQ(column(discs, 2), (QStringList{"1", "1"}));
        EXPECT_EQ(column(discs, 3), (QStringList{"4", "1"}));
        EXPECT_EQ(column(discs, 4), (QStringList{"1,030", "2"}));
        EXPECT_EQ(column(discs, 5), (QStringList{"2026-12-07", "2026-12-07"}));
        EXPECT_EQ(column(discs, 6), (QStringList{"", ""})) << "neither disc is in a drive";

        waitForTree(window);
        auto* tree = control<QTreeWidget>(&window, "folderTree");
        QTreeWidgetItem* root = tree->topLevelItem(0);
        ASSERT_NE(root, nullptr);
        EXPECT_EQ(root->text(0), "/media/PHOTOS");
        ASSERT_EQ(root->childCount(), 2);
        EXPECT_EQ(root->child(0)->text(0), "docs");
        EXPECT_EQ(root->child(1)->text(0), "写真");
        tree->setCurrentItem(root->child(0));
        auto* files = control<QTableView>(&window, "fileTable");
        const QAbstractItemModel* model = files->model();
        ASSERT_EQ(model->rowCount(), 2);
        EXPECT_EQ(model->index(0, 0).data().toString(), "b.txt") << "catalogue order at first";
        EXPECT_EQ(model->index(0, 0).data(Qt::ToolTipRole).toString(), "/media/PHOTOS/docs/b.txt");
        files->sortByColumn(1, Qt::AscendingOrder);
        EXPECT_EQ(model->index(0, 0).data().toString(), "a.txt") << "2 KB before 1,024 KB";
        files->sortByColumn(0, Qt::AscendingOrder);
        EXPECT_EQ(model->index(1, 0).data().toString(), "b.txt");
    });
}

// A real disc, mounted as a desktop mounts it: the catalogue window marks it, the drive
// lists name it.
TEST_F(CatalogWindowTest, ADiscInADriveIsMarkedAndNamedInTheDriveLists) {
    dir.write("content/readme.txt", "hello");
    ASSERT_TRUE(MakeDiscImage((dir / "content").string(), (dir / "disc.iso").string(), "TRAVEL",
                              "20050505120000"));
    std::filesystem::create_directory(dir / "drive");
    const FuseMount mounted((dir / "disc.iso").string(), (dir / "drive").string());
    if (!mounted.mounted()) {
        GTEST_SKIP() << "fuseiso cannot mount here";
    }
    const std::string drive = (dir / "drive").string();
    RecordingRegisterSink sink{transcript};
    ASSERT_EQ(RegisterDisc(session.platform, catalog, drive, "Travel 2005", sink),
              Registration::Registered);
    MainWindow main(session);
    auto* drives = control<DriveList>(&main, "Drive1");
    drives->setDrive(drive);
    EXPECT_TRUE(drives->toolTip().contains("「Travel 2005」")) << drives->toolTip().toStdString();
    inCatalogWindow(main, [&drive](CatalogWindow& window) {
        const auto* discs = discList(window);
        const int row = static_cast<int>(column(discs, 0).indexOf("Travel 2005"));
        ASSERT_GE(row, 0);
        EXPECT_EQ(discs->index(row, 6).data().toString(), QString::fromStdString("● " + drive));
        EXPECT_TRUE(discs->index(row, 0).data(Qt::FontRole).value<QFont>().bold());
        EXPECT_EQ(discs->index(0, 6).data().toString(), "") << "Photos 2003 is in no drive";
    });
}

// A disc registered from an image file says where the file is; one registered from a
// folder, or before discs had records, says nothing there.
TEST_F(CatalogWindowTest, ADiscRegisteredFromAnImageShowsTheImagesPath) {
    dir.write("content/readme.txt", "hello");
    dir.write("folder/notes.txt", "from a folder");
    std::filesystem::create_directory(dir / "images");
    const std::string image = (dir / "images" / "travel.iso").string();
    ASSERT_TRUE(MakeDiscImage((dir / "content").string(), image, "TRAVEL", "20050505120000"));
    RecordingRegisterSink sink{transcript};
    ImageFileSystem withImages(files); // as the program's start-up gives the windows
    const Platform& p = session.platform;
    ASSERT_EQ(RegisterDisc({withImages, p.tray, p.dialogs, p.clock, p.numbers}, catalog, image,
                           "Travel 2005", sink),
              Registration::Registered);
    ASSERT_EQ(RegisterDisc(session.platform, catalog, (dir / "folder").string(), "Copied", sink),
              Registration::Registered);
    MainWindow main(session);
    inCatalogWindow(main, [&image](CatalogWindow& window) {
        const auto* discs = discList(window);
        EXPECT_EQ(discs->headerData(7, Qt::Horizontal).toString(), "イメージファイル");
        const QStringList titles = column(discs, 0);
        ASSERT_EQ(titles, (QStringList{"Photos 2003", "Music", "Travel 2005", "Copied"}));
        EXPECT_EQ(column(discs, 7), (QStringList{"", "", QString::fromStdString(image), ""}));
        EXPECT_EQ(column(discs, 1)[2], "TRAVEL") << "the image's volume label";
        EXPECT_TRUE(discs->index(2, 7)
                        .data(Qt::ToolTipRole)
                        .toString()
                        .endsWith(QString::fromStdString(image)));
        EXPECT_EQ(column(discs, 6)[2], "") << "an image is in no drive";
    });
}

// EXPORT runs beside the window: the close box asks first; kept going, the export ends as
// usual; stopped, it makes no file and the window closes.
TEST_F(CatalogWindowTest, ClosingDuringAnExportAsksFirstAndAStopMakesNoFile) {
    MainWindow main(session);
    main.show();
    const std::string kept = (dir / "kept.csv").string();
    const std::string question =
        "message CSV出力 [OK/Cancel]: CSV出力中です。出力を中止して閉じますか？\n"
        "出力中のファイルは作られません。";
    dialogs.saveNames = {kept};
    dialogs.answers = {Answer::Cancel};
    inCatalogWindow(main, [&kept](CatalogWindow& window) {
        control<QAbstractButton>(&window, "exportAllButton")->click();
        EXPECT_FALSE(control(&window, "closeButton")->isEnabled());
        window.close();
        EXPECT_TRUE(window.isVisible()) << "the user chose to let the export finish";
        waitForWorkers(&window);
        EXPECT_TRUE(control(&window, "closeButton")->isEnabled());
        EXPECT_TRUE(std::filesystem::exists(kept));
    });
    EXPECT_EQ(transcript.only("message CSV出力"),
              (Lines{question, "message CSV出力: 保存しました。"}));

    transcript.lines.clear();
    const std::string stopped = (dir / "stopped.csv").string();
    dialogs.saveNames = {stopped};
    dialogs.answers = {Answer::Ok};
    click(&main, "Command1(2)");
    QPointer<CatalogWindow> window = main.catalogWindow();
    ASSERT_FALSE(window.isNull());
    control<QAbstractButton>(window.data(), "exportAllButton")->click();
    window->close();
    EXPECT_TRUE(
        QTest::qWaitFor([&window] { return window.isNull() || !window->isVisible(); }, 5000))
        << "closed once the export stopped";
    EXPECT_FALSE(std::filesystem::exists(stopped));
    EXPECT_EQ(transcript.only("message CSV出力"), (Lines{question}));
}

// VERIFY reads the chosen disc where it was registered: a file whose reads fail half-way is
// unreadable, with how far it read and the other disc that holds it; the rest reads the
// same; the result is saved as a log, and the disc list shows the outcome.
TEST_F(CatalogWindowTest, VerifyTellsAnUnreadableFileAndWhereElseItLives) {
    if (!HasFuse()) {
        GTEST_SKIP() << "no FUSE here";
    }
    dir.write("disc/notes.txt", "notes");
    dir.write("disc/docs/readme.txt", std::string(200000, 'r'));
    dir.write("copy/readme.txt", std::string(200000, 'r'));
    std::filesystem::last_write_time(
        dir / "copy/readme.txt", std::filesystem::last_write_time(dir / "disc/docs/readme.txt"));
    const FailingMount disc((dir / "disc").string());
    ASSERT_TRUE(disc.mounted());
    RecordingRegisterSink sink{transcript};
    ASSERT_EQ(RegisterDisc(session.platform, catalog, disc.folder(), "Disc A", sink),
              Registration::Registered);
    ASSERT_EQ(RegisterDisc(session.platform, catalog, (dir / "copy").string(), "Backup", sink),
              Registration::Registered);
    disc.setRules({"fail=docs/readme.txt@65536-131072"});
    const std::string saved = (dir / "verified.txt").string();
    dialogs.saveNames = {saved};
    MainWindow main(session);
    main.show();
    inCatalogWindow(main, [&](CatalogWindow& window) {
        auto* table = control<QTableView>(&window, "discTable");
        const int row = static_cast<int>(column(table->model(), 0).indexOf("Disc A"));
        ASSERT_GE(row, 0);
        table->selectRow(row);
        click(&window, "verifyButton");
        auto* verify = window.findChild<VerifyWindow*>();
        ASSERT_NE(verify, nullptr);
        EXPECT_EQ(control<QLabel>(verify, "verifyCaption")->text(),
                  "「Disc A」: 同じ 1、変更 0、読めない 1、ない 0、カタログにない 0");
        const auto* results = control<QTableWidget>(verify, "verifyResults");
        QStringList lines;
        for (int r = 0; r < results->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < 4; ++c) {
                cells << results->item(r, c)->text();
            }
            lines << cells.join(" | ");
        }
        const QString path = QString::fromStdString(disc / "docs/readme.txt");
        EXPECT_TRUE(lines.contains("読めない | " + path +
                                   " | 読み取りエラー: Input/output error (200000 バイト中 "
                                   "65536 バイトまで読めました) | 「Backup」 " +
                                   QString::fromStdString((dir / "copy/readme.txt").string()) +
                                   " (名前・サイズ・日付が同じ)"))
            << lines.join("\n").toStdString();
        EXPECT_TRUE(
            lines.contains("同じ | " + QString::fromStdString(disc / "notes.txt") + " |  | "));
        click(verify, "saveVerifyButton");
        EXPECT_NE(dir.read("verified.txt").find("読めない\t" + disc / "docs/readme.txt"),
                  std::string::npos);
        verify->close();
        const auto* discs = table->model();
        EXPECT_TRUE(QTest::qWaitFor(
            [discs, row] { return discs->index(row, 8).data().toString().endsWith("読めない 1"); },
            5000))
            << discs->index(row, 8).data().toString().toStdString();
        EXPECT_EQ(table->selectionModel()->selectedRows().value(0).row(), row)
            << "the verified disc stays chosen";
    });
}

// A slow disc: the window shows the reading's counters as it goes, its close box asks
// first, and CANCEL stops the run between two blocks; a stopped run is no verification.
TEST_F(CatalogWindowTest, VerifyShowsItsProgressAndCancelStopsIt) {
    if (!HasFuse()) {
        GTEST_SKIP() << "no FUSE here";
    }
    dir.write("disc/big.dat", std::string(4000000, 'b'));
    const FailingMount disc((dir / "disc").string());
    ASSERT_TRUE(disc.mounted());
    RecordingRegisterSink sink{transcript};
    ASSERT_EQ(RegisterDisc(session.platform, catalog, disc.folder(), "Slow", sink),
              Registration::Registered);
    disc.setRules({"delay=100"});
    dialogs.answers = {Answer::Cancel};
    MainWindow main(session);
    main.show();
    inCatalogWindow(main, [&](CatalogWindow& window) {
        auto* table = control<QTableView>(&window, "discTable");
        table->selectRow(static_cast<int>(column(table->model(), 0).indexOf("Slow")));
        control<QAbstractButton>(&window, "verifyButton")->click();
        auto* verify = window.findChild<VerifyWindow*>();
        ASSERT_NE(verify, nullptr);
        const auto* figures = control<QLabel>(verify, "verifyFigures");
        EXPECT_TRUE(QTest::qWaitFor(
            [figures] {
                return figures->text().contains(QRegularExpression("^[1-9][0-9.]* / 4.0 MB"));
            },
            10000))
            << figures->text().toStdString();
        EXPECT_TRUE(figures->text().contains("0 / 1 ファイル")) << figures->text().toStdString();
        verify->close();
        EXPECT_TRUE(verify->isVisible()) << "the user chose to let it run";
        click(verify, "cancelVerifyButton");
        EXPECT_TRUE(control<QLabel>(verify, "verifyCaption")
                        ->text()
                        .endsWith("検査を中止しました (未検査 1)"))
            << control<QLabel>(verify, "verifyCaption")->text().toStdString();
        EXPECT_TRUE(control(verify, "closeVerifyButton")->isEnabled());
        verify->close();
    });
    EXPECT_EQ(transcript.only("message Orbisk [OK/Cancel]"),
              (Lines{"message Orbisk [OK/Cancel]: 検査中です。検査を中止して閉じますか？"}));
    EXPECT_TRUE(LastVerifications(catalog, clock).empty()) << "a stopped run is not kept";
}

TEST_F(CatalogWindowTest, RenameAndRemoveRefreshTheMainWindowsTitles) {
    MainWindow main(session);
    main.show();
    const auto* titles = control<QComboBox>(&main, "Combo1");
    dialogs.texts = {std::string("Photos 1998")};
    inCatalogWindow(main, [](CatalogWindow& window) { click(&window, "renameButton"); });
    EXPECT_EQ(transcript.only("ask"), (Lines{"ask 名前の変更: 新しいタイトル: [Photos 2003]"}));
    ASSERT_EQ(titles->count(), 3);
    EXPECT_EQ(titles->itemText(1), "Photos 1998");
    EXPECT_EQ(tableRows(catalog, "MediaTable")[0][1], "Photos 1998");

    dialogs.answers = {Answer::Ok};
    inCatalogWindow(main, [](CatalogWindow& window) {
        click(&window, "removeButton");
        const auto* discs = discList(window);
        EXPECT_TRUE(
            QTest::qWaitFor([discs] { return column(discs, 0) == QStringList{"Music"}; }, 5000));
    });
    EXPECT_EQ(transcript.only("message 登録の削除"),
              (Lines{"message 登録の削除 [OK/Cancel]: 「Photos 1998」の登録を削除しますか？\n"
                     "ファイル 4 件"}));
    ASSERT_EQ(titles->count(), 2);
    EXPECT_EQ(titles->itemText(1), "Music");
    EXPECT_EQ(tableRows(catalog, "MediaTable").size(), 1u);

    dialogs.answers = {Answer::Ok};
    inCatalogWindow(main, [](CatalogWindow& window) {
        click(&window, "removeButton");
        const auto* discs = discList(window);
        EXPECT_TRUE(QTest::qWaitFor([discs] { return discs->rowCount() == 0; }, 5000));
    });
    EXPECT_FALSE(control(&main, "Command1(2)")->isEnabled()) << "nothing left to edit";
}

// REMOVE while another program holds the catalogue: the window answers while the removal
// waits (it cannot be closed meanwhile, and says why), and the removal is done once the
// other program lets go.
TEST_F(CatalogWindowTest, RemoveWaitsForAnotherProgramWithoutHoldingTheWindow) {
    MainWindow main(session);
    main.show();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(catalog.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "Begin Immediate", nullptr, nullptr, nullptr), SQLITE_OK);
    dialogs.answers = {Answer::Ok};
    inCatalogWindow(main, [&](CatalogWindow& window) {
        const auto start = std::chrono::steady_clock::now();
        click(&window, "removeButton");
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500))
            << "the click returned at once";
        int ticks = 0;
        QTimer ticking;
        QObject::connect(&ticking, &QTimer::timeout, [&ticks] { ++ticks; });
        ticking.start(50);
        QTest::qWait(1000);
        EXPECT_GE(ticks, 10) << "the window's events ran while the removal waited";
        EXPECT_FALSE(control(&window, "removeButton")->isEnabled());
        EXPECT_EQ(tableRows(catalog, "MediaName").size(), 2u);
        window.close();
        EXPECT_TRUE(window.isVisible()) << "not closed while removing";
        sqlite3_exec(other, "Commit", nullptr, nullptr, nullptr);
        const auto* discs = discList(window);
        EXPECT_TRUE(
            QTest::qWaitFor([discs] { return column(discs, 0) == QStringList{"Music"}; }, 5000));
    });
    sqlite3_close(other);
    EXPECT_EQ(tableRows(catalog, "MediaName"), (std::vector<std::vector<std::string>>{{"Music"}}));
}

TEST_F(CatalogWindowTest, ReadOnlyCatalogueIsBrowsedButNotChanged) {
    // Root writes every file: a catalogue on a read-only mount is one root cannot change.
    std::filesystem::create_directory(dir / "disc");
    const auto readOnly = ScopedMount::readOnlyBind(dir.str(), (dir / "disc").string());
    if (readOnly.mounted()) {
        session.catalogFile = dir / "disc" / Catalog::FileName;
    } else {
        chmod(catalog.c_str(), 0444);
        ASSERT_NE(geteuid(), 0u) << "root needs a read-only mount to meet a read-only catalogue";
    }
    MainWindow main(session);
    inCatalogWindow(main, [](CatalogWindow& window) {
        EXPECT_FALSE(control(&window, "renameButton")->isEnabled());
        EXPECT_FALSE(control(&window, "removeButton")->isEnabled());
        EXPECT_TRUE(
            control(&window, "removeButton")->toolTip().startsWith("カタログを変更できません。"));
        EXPECT_TRUE(control(&window, "exportButton")->isEnabled());
        EXPECT_EQ(discList(window)->rowCount(), 2);
    });
}

// Titles that agree in all but letter case, or where one begins the other, are other discs:
// a drive, figures and a place to verify belong to the exact title only.
TEST(DiscListModel, EachTitleKeepsItsOwnDriveFiguresAndPlace) {
    CommaNumberFormat numbers;
    DiscListModel model(numbers, nullptr);
    model.showTitles({"Disc", "disc", "Disc 2", "Folder"});
    // A folder named as an image is a folder: the column shows image files only.
    model.showFigures({{"disc", "", "/isos/disc.iso", 1, 3, 4, {"2026-12-07"}, true},
                       {"Folder", "", "/isos/folder.iso", 1, 3, 4, {"2026-12-07"}, false},
                       {"Only rows", "", "", 0, 1, 1, {"2026-12-07"}, std::nullopt}});
    model.markInDrive("Disc", "/media/DISC", "DISC");
    const auto cell = [&model](int row, int column, int role = Qt::DisplayRole) {
        return model.index(row, column).data(role).toString();
    };
    ASSERT_EQ(model.rowCount(), 5) << "a title with file rows only is listed too";
    EXPECT_EQ(model.title(4), "Only rows");
    EXPECT_EQ(cell(3, DiscListModel::ImageColumn), "");
    EXPECT_EQ(model.placeOf("Folder"), "/isos/folder.iso");
    EXPECT_EQ(cell(0, DiscListModel::FilesColumn), "…") << "Disc has no figures yet";
    EXPECT_EQ(cell(1, DiscListModel::FilesColumn), "3");
    EXPECT_EQ(cell(2, DiscListModel::DriveColumn), "");
    EXPECT_EQ(cell(0, DiscListModel::DriveColumn), "● /media/DISC");
    EXPECT_EQ(cell(1, DiscListModel::DriveColumn), "");
    EXPECT_EQ(cell(1, DiscListModel::ImageColumn), "/isos/disc.iso");
    EXPECT_EQ(cell(4, DiscListModel::ImageColumn), "") << "registered before discs had records";
    EXPECT_EQ(model.placeOf("Disc"), "/media/DISC") << "the drive it is in first";
    EXPECT_EQ(model.placeOf("disc"), "/isos/disc.iso");
    EXPECT_EQ(model.placeOf("Disc 2"), "");
    model.showVerifications({{"disc", "2026-12-09 03:00 異常なし"}});
    EXPECT_EQ(cell(1, DiscListModel::VerifiedColumn), "2026-12-09 03:00 異常なし");
    EXPECT_EQ(cell(0, DiscListModel::VerifiedColumn), "");
}

} // namespace
} // namespace orbisk
