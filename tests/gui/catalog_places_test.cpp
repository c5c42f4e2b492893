#include "catalog/row_writer.h"
#include "catalog_window.h"
#include "gui/gui_fixture.h"
#include "support/catalog_rows.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <archive.h>
#include <archive_entry.h>
#include <chrono>

namespace orbisk {
namespace {

using namespace testing;

// A ZIP of one file, with the date given.
void writeZip(const std::filesystem::path& file, const std::string& path, const std::string& data,
              std::time_t modified) {
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    archive_write_open_filename(a, file.c_str());
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, path.c_str());
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    archive_entry_set_mtime(entry, modified, 0);
    archive_entry_set_size(entry, static_cast<la_int64_t>(data.size()));
    archive_write_header(a, entry);
    archive_write_data(a, data.data(), data.size());
    archive_entry_free(entry);
    archive_write_close(a);
    archive_write_free(a);
}

// The catalogue window's other places of the chosen file and its filter of the files only
// the chosen disc holds, on catalogues that orbisk-cli registered: the window must say what
// `orbisk-cli only-here` says.
class CatalogPlacesTest : public GuiTest {
protected:
    QString cli(const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_CACHE_HOME", QString::fromStdString((dir / "cache").string()));
        process.setProcessEnvironment(environment);
        process.start(ORBISK_CLI_PROGRAM,
                      QStringList{"--catalog", QString::fromStdString(catalog.string())} +
                          arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        return QString::fromUtf8(process.readAllStandardOutput());
    }
    void add(const std::string& folder, const std::string& title, bool content = false) {
        QStringList arguments{"add", QString::fromStdString((dir / folder).string()), "--title",
                              QString::fromStdString(title)};
        if (content) {
            arguments << "--content";
        }
        cli(arguments);
    }
    QStringList onlyHere(const std::string& title) {
        return cli({"only-here", "--title", QString::fromStdString(title)})
            .split('\n', Qt::SkipEmptyParts);
    }

    // The window, opened from EDIT of a main window, once its disc list has its figures.
    CatalogWindow* open(MainWindow& main) {
        main.show();
        click(&main, "Command1(2)");
        CatalogWindow* window = main.catalogWindow();
        EXPECT_NE(window, nullptr);
        const QAbstractItemModel* discs = control<QTableView>(window, "discTable")->model();
        EXPECT_TRUE(
            QTest::qWaitFor([discs] { return discs->index(0, 2).data().toString() != "…"; }, 5000));
        return window;
    }
    static void chooseDisc(CatalogWindow* window, const QString& title) {
        auto* table = control<QTableView>(window, "discTable");
        int row = -1;
        for (int r = 0; r < table->model()->rowCount(); ++r) {
            if (table->model()->index(r, 0).data().toString() == title) {
                row = r;
            }
        }
        ASSERT_GE(row, 0) << title.toStdString();
        table->clearSelection();
        table->selectRow(row);
        waitForDisc(window);
    }
    // Waits for the chosen disc's tree: with the filter on, for its count.
    static void waitForDisc(CatalogWindow* window) {
        auto* tree = control<QTreeWidget>(window, "folderTree");
        auto* count = control<QLabel>(window, "onlyHereCount");
        auto* filter = control<QCheckBox>(window, "onlyHereCheck");
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return filter->isChecked() ? count->text().contains("ファイル")
                                           : tree->topLevelItemCount() > 0;
            },
            10000));
    }
    static std::vector<QTreeWidgetItem*> folders(QTreeWidget* tree) {
        std::vector<QTreeWidgetItem*> all;
        for (int top = 0; top < tree->topLevelItemCount(); ++top) {
            all.push_back(tree->topLevelItem(top));
        }
        for (std::size_t at = 0; at < all.size(); ++at) {
            for (int child = 0; child < all[at]->childCount(); ++child) {
                all.push_back(all[at]->child(child));
            }
        }
        return all;
    }
    // Every file the tree shows, by its whole path, folder by folder.
    static QStringList shownFiles(CatalogWindow* window) {
        auto* tree = control<QTreeWidget>(window, "folderTree");
        const QAbstractItemModel* files = control<QTableView>(window, "fileTable")->model();
        QStringList paths;
        for (QTreeWidgetItem* folder : folders(tree)) {
            tree->setCurrentItem(folder);
            for (int row = 0; row < files->rowCount(); ++row) {
                paths << files->index(row, 0).data(Qt::ToolTipRole).toString();
            }
        }
        paths.sort();
        return paths;
    }
    // Chooses the file of that path in the files list and gives the places listed for it.
    static QStringList placesOf(CatalogWindow* window, const std::string& path) {
        auto* tree = control<QTreeWidget>(window, "folderTree");
        auto* table = control<QTableView>(window, "fileTable");
        for (QTreeWidgetItem* folder : folders(tree)) {
            tree->setCurrentItem(folder);
            for (int row = 0; row < table->model()->rowCount(); ++row) {
                if (table->model()->index(row, 0).data(Qt::ToolTipRole).toString() ==
                    QString::fromStdString(path)) {
                    table->selectRow(row);
                    auto* list = control<QListWidget>(window, "placesList");
                    EXPECT_TRUE(QTest::qWaitFor(
                        [list] {
                            return list->count() > 0 && list->item(0)->text() != "調べています…";
                        },
                        10000));
                    QStringList lines;
                    for (int line = 0; line < list->count(); ++line) {
                        lines << list->item(line)->text();
                    }
                    return lines;
                }
            }
        }
        ADD_FAILURE() << "no file " << path;
        return {};
    }
    static void setOnlyHere(CatalogWindow* window, bool on) {
        control<QCheckBox>(window, "onlyHereCheck")->setChecked(on);
        waitForDisc(window);
    }
    QString path(const std::string& relative) const {
        return QString::fromStdString((dir / relative).string());
    }
};

// The file of disc A held by a second disc at another path, and packed in an archive on a
// third; a file of the same name and size but another date on a fourth. A and C were read
// with their contents, B and D were not.
TEST_F(CatalogPlacesTest, TheChosenFilesPlacesAndTheFilesOnlyItsDiscHolds) {
    const std::string data(200000, 'r');
    dir.write("a/notes.txt", "notes");
    dir.write("a/docs/readme.txt", data);
    dir.write("a/docs/report.doc", "report");
    const auto readme = std::filesystem::last_write_time(dir / "a/docs/readme.txt");
    dir.write("b/backup/readme.txt", data);
    std::filesystem::last_write_time(dir / "b/backup/readme.txt", readme);
    dir.write("b/photo.jpg", "photo");
    std::filesystem::create_directories(dir / "c");
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::file_clock::to_sys(readme).time_since_epoch());
    writeZip(dir / "c/pack.zip", "old/readme.txt", data, static_cast<std::time_t>(seconds.count()));
    dir.write("d/readme.txt", data);
    std::filesystem::last_write_time(dir / "d/readme.txt", readme - std::chrono::hours(50));
    add("a", "Disc A", true);
    add("b", "Disc B");
    add("c", "Disc C", true);
    add("d", "Disc D");

    MainWindow main(session);
    CatalogWindow* window = open(main);
    ASSERT_NE(window, nullptr);
    chooseDisc(window, "Disc A");
    EXPECT_EQ(
        placesOf(window, (dir / "a/docs/readme.txt").string()),
        (QStringList{"「Disc B」 " + path("b/backup/readme.txt") + " (名前・サイズ・日付が同じ)",
                     "「Disc C」 " + path("c/pack.zip") + "/old/readme.txt (内容が同じ)"}))
        << "the decoy of another date is no copy";
    EXPECT_EQ(placesOf(window, (dir / "a/notes.txt").string()),
              QStringList{"ほかのディスクにはありません。このディスクだけにあるファイルです。"});
    EXPECT_EQ(control<QLabel>(window, "placesCaption")->text(), "ほかの場所: notes.txt");

    // The packed file's places name the disc file it is a copy of.
    chooseDisc(window, "Disc C");
    EXPECT_EQ(
        placesOf(window, (dir / "c/pack.zip/old/readme.txt").string()),
        (QStringList{"「Disc A」 " + path("a/docs/readme.txt") + " (内容が同じ)",
                     "「Disc B」 " + path("b/backup/readme.txt") + " (名前・サイズ・日付が同じ)"}));
    chooseDisc(window, "Disc D");
    EXPECT_EQ(placesOf(window, (dir / "d/readme.txt").string()),
              QStringList{"ほかのディスクにはありません。このディスクだけにあるファイルです。"});

    // The filter leaves what only-here lists, disc by disc, and says how many.
    setOnlyHere(window, true);
    for (const char* title : {"Disc A", "Disc B", "Disc C", "Disc D"}) {
        chooseDisc(window, title);
        QStringList expected = onlyHere(title);
        expected.sort();
        EXPECT_EQ(shownFiles(window), expected) << title;
        EXPECT_EQ(control<QLabel>(window, "onlyHereCount")->text(),
                  QString("%1 ファイル").arg(expected.size()))
            << title;
    }
    chooseDisc(window, "Disc C");
    EXPECT_EQ(shownFiles(window), QStringList{path("c/pack.zip")})
        << "the archive is on disc C alone, its packed file is not";
    setOnlyHere(window, false);
    EXPECT_EQ(shownFiles(window),
              (QStringList{path("c/pack.zip"), path("c/pack.zip") + "/old/readme.txt"}));

    // Another program registers a disc holding D's file: the window reads the catalogue
    // afresh and names it.
    dir.write("e/readme.txt", data);
    dir.write("e/other.txt", "another disc's file");
    std::filesystem::last_write_time(dir / "e/readme.txt", readme - std::chrono::hours(50));
    add("e", "Disc E");
    chooseDisc(window, "Disc D");
    EXPECT_EQ(placesOf(window, (dir / "d/readme.txt").string()),
              QStringList{"「Disc E」 " + path("e/readme.txt") + " (名前・サイズ・日付が同じ)"});
    setOnlyHere(window, true);
    EXPECT_EQ(shownFiles(window), QStringList{}) << "D's file has a copy now";
    EXPECT_EQ(control<QLabel>(window, "onlyHereCount")->text(), "0 ファイル");
    window->close();
}

// Titles that differ only in letter case, or of which one begins the other, are other
// discs: a file on both is held elsewhere, and a file on one alone is not held by the other.
TEST_F(CatalogPlacesTest, TitlesAlikeInCaseOrBeginningAreOtherDiscs) {
    dir.write("p1/shared.txt", "shared");
    dir.write("p1/one.txt", "one");
    dir.write("p2/shared.txt", "shared");
    std::filesystem::last_write_time(dir / "p2/shared.txt",
                                     std::filesystem::last_write_time(dir / "p1/shared.txt"));
    dir.write("p2/two.txt", "two");
    dir.write("p3/three.txt", "three");
    add("p1", "Pics");
    add("p2", "pics");
    add("p3", "Pics 2");
    // Rows an older program registered: no size and date to compare by.
    storeFiles(catalog, {{"e:\\OLD.TXT", "Pics 3", "OLD.TXT", "TXT", "3", "2026-12-07"}});
    storeTitle(catalog, "Pics 3");

    MainWindow main(session);
    CatalogWindow* window = open(main);
    ASSERT_NE(window, nullptr);
    chooseDisc(window, "Pics");
    EXPECT_EQ(placesOf(window, (dir / "p1/shared.txt").string()),
              QStringList{"「pics」 " + path("p2/shared.txt") + " (名前・サイズ・日付が同じ)"});
    EXPECT_EQ(placesOf(window, (dir / "p1/one.txt").string()),
              QStringList{"ほかのディスクにはありません。このディスクだけにあるファイルです。"});
    chooseDisc(window, "Pics 3");
    EXPECT_EQ(placesOf(window, "e:\\OLD.TXT"),
              QStringList{"サイズと日付がカタログにないため、ほかの場所は分かりません"
                          "（以前のプログラムで登録したファイル）。"});

    setOnlyHere(window, true);
    EXPECT_EQ(control<QLabel>(window, "onlyHereCount")->text(), "0 ファイル（ほかに不明 1）");
    for (const auto& [title, file] :
         {std::pair{"Pics", "p1/one.txt"}, {"pics", "p2/two.txt"}, {"Pics 2", "p3/three.txt"}}) {
        chooseDisc(window, title);
        EXPECT_EQ(shownFiles(window), QStringList{path(file)}) << title;
        EXPECT_EQ(onlyHere(title), QStringList{path(file)}) << title;
    }
    window->close();
}

} // namespace
} // namespace orbisk
