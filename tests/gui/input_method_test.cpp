// Japanese typed into the windows' fields through a real input method, as a Japanese
// desktop types it: keys go from the X server's keyboard through Qt's input method plugin
// to fcitx5 or IBus and Mozc, and come back as pre-edit and committed text. Runs under
// tests/with_input_method.sh, which starts the display, the bus and the framework's daemon.
#include "catalog/row_writer.h"
#include "catalog_window.h"
#include "gui/gui_fixture.h"
#include "report_window.h"
#include "services/dropped_compositions.h"
#include "services/qt_dialogs.h"
#include "support/catalog_rows.h"
#include "support/recording_views.h"
#include "widgets/drive_list.h"
#include "widgets/window_parts.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QInputMethodEvent>
#include <QProcess>
#include <QTableView>
#include <QTest>
#include <algorithm>

namespace orbisk {
namespace {

using namespace testing;

// The framework the session runs, and how a user switches Mozc on and off in it.
struct Framework {
    QString name;
    QStringList japanese; // Mozc composes what is typed
    QStringList direct;   // keys reach the field as they are
};

Framework sessionFramework() {
    const QString name = qEnvironmentVariable("ORBISK_INPUT_METHOD");
    if (name == "fcitx5") {
        return {name, {"fcitx5-remote", "-o"}, {"fcitx5-remote", "-c"}};
    }
    if (name == "ibus") {
        return {name, {"ibus", "engine", "mozc-jp"}, {"ibus", "engine", "xkb:us::eng"}};
    }
    return {};
}

// Runs a command while the windows go on taking events, and returns what it printed.
QString run(const QStringList& command) {
    QProcess process;
    process.start(command.first(), command.mid(1));
    const bool ended =
        QTest::qWaitFor([&process] { return process.state() == QProcess::NotRunning; }, 10000);
    EXPECT_TRUE(ended && process.error() != QProcess::FailedToStart)
        << command.join(' ').toStdString() << " did not run";
    return QString::fromUtf8(process.readAllStandardOutput());
}

// What the input method last sent to the focused field: the pre-edit it shows now, and
// every text it committed, seen before the field takes them.
class InputMethodWatch : public QObject {
public:
    QString preedit;
    QStringList commits;

protected:
    bool eventFilter(QObject* target, QEvent* event) override {
        if (event->type() == QEvent::InputMethod && target == QApplication::focusWidget()) {
            const auto* input = static_cast<QInputMethodEvent*>(event);
            preedit = input->preeditString();
            if (!input->commitString().isEmpty()) {
                commits << input->commitString();
            }
        }
        return false;
    }
};

// Message boxes scripted; the questions for a line of text and for a file name asked in
// the real dialogs, where the user types.
class RealQuestions : public Dialogs {
public:
    explicit RealQuestions(ScriptedDialogs& messages) : messages_(messages) {}
    Answer message(const Notice& notice, Buttons buttons) override {
        return messages_.message(notice, buttons);
    }
    std::string askSaveFileName(const Message& filter, const std::string& suggested) override {
        return real_.askSaveFileName(filter, suggested);
    }
    std::string askOpenFileName(MessageId title, const Message& filter,
                                const std::string& start) override {
        return real_.askOpenFileName(title, filter, start);
    }
    std::optional<std::string> askText(const Notice& question,
                                       const std::string& initial) override {
        return real_.askText(question, initial);
    }

private:
    ScriptedDialogs& messages_;
    QtDialogs real_;
};

class InputMethodTest : public GuiTest {
protected:
    Framework framework = sessionFramework();
    InputMethodWatch watch;
    RealQuestions questions{dialogs};
    Session asking{{files, tray, questions, clock, numbers}, catalog, nullptr};

    // The modal dialog of that kind open now, or null.
    template <class Dialog> static Dialog* modal() {
        return qobject_cast<Dialog*>(QApplication::activeModalWidget());
    }

    void SetUp() override {
        if (framework.name.isEmpty()) {
            GTEST_SKIP() << "no input method session: run through tests/with_input_method.sh";
        }
        qApp->installEventFilter(&watch);
    }
    void TearDown() override { qApp->removeEventFilter(&watch); }

    static void typeKeys(const QString& text) { run({"xdotool", "type", "--delay", "40", text}); }
    static void pressKeys(const QStringList& keys) {
        run(QStringList{"xdotool", "key", "--delay", "40"} + keys);
    }
    // A click of the real mouse on the middle of a control, once no window of the input
    // method lies over that point: a candidate list that the daemon has not hidden yet
    // would take the click.
    static void clickOn(const QWidget* control) {
        const QPoint at = control->mapToGlobal(control->rect().center());
        std::vector<QRect> windows;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                windows = inputMethodWindows();
                return std::none_of(windows.begin(), windows.end(),
                                    [&at](const QRect& w) { return w.contains(at); });
            },
            10000))
            << "a window of the input method stays over " << control->objectName().toStdString();
        run({"xdotool", "mousemove", "--sync", QString::number(at.x()), QString::number(at.y()),
             "click", "1"});
    }
    static void showActive(QWidget* window) {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window, 10000))
            << "the window never got the keyboard";
    }
    // Clicks into a field and waits until a key typed there composes in Mozc. The daemon
    // may meet the field's window only with its first key, which then reaches the field as
    // it is: it is taken back and Mozc switched on again. Each key is waited for until it
    // arrives one way or the other, since switching while it is on its way would commit it.
    void startComposing(QLineEdit* field) {
        clickOn(field);
        ASSERT_TRUE(QTest::qWaitFor([field] { return field->hasFocus(); }, 10000))
            << field->objectName().toStdString() << " did not take the focus";
        const QString before = field->text();
        for (int attempt = 0; attempt < 10; ++attempt) {
            run(framework.japanese);
            typeKeys("a");
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return watch.preedit == "あ" || field->text() != before; }, 10000))
                << "a key typed into " << field->objectName().toStdString() << " never arrived";
            if (watch.preedit == "あ") {
                pressKeys({"BackSpace"});
                ASSERT_TRUE(QTest::qWaitFor([this] { return watch.preedit.isEmpty(); }, 10000));
                ASSERT_EQ(field->text(), before);
                return;
            }
            pressKeys({"BackSpace"}); // typed as it is: Mozc was not on yet
            ASSERT_TRUE(QTest::qWaitFor([&] { return field->text() == before; }, 10000));
        }
        FAIL() << "keys typed into " << field->objectName().toStdString() << " never reached Mozc"
               << " through " << framework.name.toStdString();
    }
    // Types romaji and expects its kana as the pre-edit, shown in the field, not yet in it.
    void compose(QLineEdit* field, const QString& romaji, const QString& kana) {
        const QString before = field->text();
        watch.commits.clear();
        typeKeys(romaji);
        EXPECT_TRUE(QTest::qWaitFor([&] { return watch.preedit == kana; }, 10000))
            << "pre-edit: " << watch.preedit.toStdString();
        EXPECT_EQ(field->text(), before) << "the pre-edit is not the field's text yet";
    }
    // Space: Mozc's first candidate replaces the kana in the pre-edit.
    void convert(const QString& expected) {
        pressKeys({"space"});
        EXPECT_TRUE(QTest::qWaitFor([&] { return watch.preedit == expected; }, 10000))
            << "pre-edit: " << watch.preedit.toStdString();
    }
    // Enter: the conversion goes into the field, committed by the input method. Then a
    // key that composes, so that whatever Enter did besides has surely reached the window,
    // and its removal.
    void commitWithEnter(QLineEdit* field, const QString& conversion) {
        const QString expected = field->text() + conversion;
        pressKeys({"Return"});
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return watch.preedit.isEmpty() && field->text() == expected; }, 10000))
            << "the field holds \"" << field->text().toStdString() << "\", pre-edit \""
            << watch.preedit.toStdString() << "\"";
        EXPECT_EQ(watch.commits, QStringList{conversion});
        composeAndDelete(field);
        EXPECT_EQ(field->text(), expected);
    }
    // "a" composed, then deleted again with BackSpace: the field is as it was.
    void composeAndDelete(QLineEdit* field) {
        const QString before = field->text();
        typeKeys("a");
        EXPECT_TRUE(QTest::qWaitFor([this] { return watch.preedit == "あ"; }, 10000));
        pressKeys({"BackSpace"});
        EXPECT_TRUE(QTest::qWaitFor([this] { return watch.preedit.isEmpty(); }, 10000));
        EXPECT_EQ(field->text(), before);
    }
    // Mozc off, text typed as it is (the wildcards of a key), then Mozc on again.
    void typeDirect(QLineEdit* field, const QString& text) {
        run(framework.direct);
        const QString expected = field->text() + text;
        typeKeys(text);
        EXPECT_TRUE(QTest::qWaitFor([&] { return field->text() == expected; }, 10000))
            << "the field holds \"" << field->text().toStdString() << "\"";
        run(framework.japanese);
    }
    // The input method's windows on screen: its candidate list while one is open.
    static std::vector<QRect> inputMethodWindows() {
        std::vector<QRect> found;
        const QStringList ids =
            run({"xdotool", "search", "--onlyvisible", "--class", "fcitx|ibus|mozc"})
                .split('\n', Qt::SkipEmptyParts);
        for (const QString& id : ids) {
            int x = 0, y = 0, width = 0, height = 0;
            for (const QString& line :
                 run({"xdotool", "getwindowgeometry", "--shell", id}).split('\n')) {
                const QString value = line.section('=', 1);
                if (line.startsWith("X=")) {
                    x = value.toInt();
                } else if (line.startsWith("Y=")) {
                    y = value.toInt();
                } else if (line.startsWith("WIDTH=")) {
                    width = value.toInt();
                } else if (line.startsWith("HEIGHT=")) {
                    height = value.toInt();
                }
            }
            if (width > 1 && height > 1) {
                found.emplace_back(x, y, width, height);
            }
        }
        return found;
    }
    // A second space opens Mozc's candidate list; it must open at the field's caret, just
    // below the field, not somewhere on the screen. Up goes back to the first candidate.
    void expectCandidatesAtCaret(const QLineEdit* field, const QString& first) {
        pressKeys({"space"});
        const QRect box(field->mapToGlobal(QPoint(0, 0)), field->size());
        const QRect near = box.adjusted(-40, 0, 40, 48);
        std::vector<QRect> windows;
        const bool shown = QTest::qWaitFor(
            [&] {
                windows = inputMethodWindows();
                return std::any_of(windows.begin(), windows.end(),
                                   [&near](const QRect& w) { return near.contains(w.topLeft()); });
            },
            10000);
        std::string seen;
        for (const QRect& w : windows) {
            seen += " " + std::to_string(w.x()) + "," + std::to_string(w.y());
        }
        EXPECT_TRUE(shown) << "no candidate list near the field at " << box.x() << "," << box.y()
                           << "; the input method's windows are at" << seen;
        pressKeys({"Up"});
        EXPECT_TRUE(QTest::qWaitFor([&] { return watch.preedit == first; }, 10000))
            << "pre-edit: " << watch.preedit.toStdString();
    }
    static QStringList namesOf(const CopyWindow* copy) {
        QStringList names;
        for (const Hit& hit : copy->hits()) {
            names << QString::fromStdString(hit.title + "/" + hit.name);
        }
        names.sort();
        return names;
    }
    void storeDisc(const std::string& title, const std::vector<std::string>& names) {
        std::vector<FileRow> rows;
        for (const std::string& name : names) {
            rows.push_back({"/media/" + title + "/" + name, title, name, "", "1", "2026-12-07"});
        }
        storeFiles(catalog, rows);
        storeTitle(catalog, title);
    }
};

TEST_F(InputMethodTest, AddRegistersTheTitleAsConvertedAndEnterOnlyCommitsIt) {
    dir.write("disc/見積書.txt", "estimate");
    MainWindow window(session);
    showActive(&window);
    click(&window, "Command1(0)");
    control<DriveList>(&window, "Drive1")->setDrive((dir / "disc").string());
    auto* title = control<QLineEdit>(&window, "Text1");
    ASSERT_NO_FATAL_FAILURE(startComposing(title));

    compose(title, "shashinn", "しゃしん");
    convert("写真");
    commitWithEnter(title, "写真");
    EXPECT_TRUE(transcript.lines.empty())
        << "Enter that commits started ADD: " << transcript.lines.front();
    EXPECT_TRUE(tableRows(catalog, "MediaName").empty());

    // A conversion started and cancelled before the click: nothing of it may come back.
    compose(title, "kaigi", "かいぎ");
    convert("会議");
    pressKeys({"Escape", "Escape"});
    EXPECT_TRUE(QTest::qWaitFor([this] { return watch.preedit.isEmpty(); }, 10000))
        << "pre-edit: " << watch.preedit.toStdString();
    EXPECT_EQ(title->text(), "写真");

    clickOn(control(&window, "Command3"));
    ASSERT_TRUE(QTest::qWaitFor([this] { return !transcript.only("message").empty(); }, 10000));
    EXPECT_EQ(transcript.only("message"), (Lines{"message データベースの構築: 完了しました。"}));
    EXPECT_EQ(tableRows(catalog, "MediaName"), (std::vector<std::vector<std::string>>{{"写真"}}));
    EXPECT_EQ(tableRows(catalog, "MediaTable").at(0).at(1), "写真");
}

TEST_F(InputMethodTest, FindSearchesTheKeyAsConvertedAndEnterOnlyCommitsIt) {
    storeDisc("書類", {"見積書.txt", "古い見積書.txt", "みつもりしょ.txt", "mitsumorisho.txt",
                       "見積もり書.txt", "請求書.txt"});
    MainWindow window(session);
    showActive(&window);
    click(&window, "Command1(1)");
    auto* key = control<QLineEdit>(&window, "Text3");
    ASSERT_NO_FATAL_FAILURE(startComposing(key));

    typeDirect(key, "*");
    compose(key, "mitsumorisho", "みつもりしょ");
    convert("見積書");
    expectCandidatesAtCaret(key, "見積書");
    commitWithEnter(key, "見積書");
    EXPECT_EQ(window.copyWindow(), nullptr) << "Enter that commits started FIND";

    typeDirect(key, "*");
    pressKeys({"Return"}); // nothing is composed: Enter reaches the field and runs FIND
    ASSERT_TRUE(QTest::qWaitFor([&window] { return window.copyWindow() != nullptr; }, 10000));
    EXPECT_EQ(namesOf(window.copyWindow()),
              (QStringList{"書類/古い見積書.txt", "書類/見積書.txt"}));
    EXPECT_TRUE(transcript.only("message").empty());
}

TEST_F(InputMethodTest, TheTitleListTakesAConvertedTitleAndFindByMouseCommitsTheKeyFirst) {
    storeDisc("書類", {"見積書", "古い見積書", "見積書.txt"});
    storeDisc("写真", {"見積書"});
    MainWindow window(session);
    showActive(&window);
    click(&window, "Command1(1)");
    auto* titles = control<QComboBox>(&window, "Combo1");
    QLineEdit* titleText = titles->lineEdit();
    titleText->clear();
    ASSERT_NO_FATAL_FAILURE(startComposing(titleText));
    compose(titleText, "shorui", "しょるい");
    convert("書類");
    commitWithEnter(titleText, "書類");
    EXPECT_EQ(titles->currentText(), "書類");

    auto* key = control<QLineEdit>(&window, "Text3");
    ASSERT_NO_FATAL_FAILURE(startComposing(key));
    typeDirect(key, "*");
    compose(key, "mitsumorisho", "みつもりしょ");
    convert("見積書");
    // FIND pressed with the mouse while the conversion is still open: the input method
    // commits it as the field loses the focus, so FIND searches it.
    clickOn(control(&window, "Command6"));
    ASSERT_TRUE(QTest::qWaitFor([&window] { return window.copyWindow() != nullptr; }, 10000))
        << "FIND did not run; messages: " << transcript.lines.size();
    EXPECT_EQ(key->text(), "*見積書");
    EXPECT_EQ(namesOf(window.copyWindow()), (QStringList{"書類/古い見積書", "書類/見積書"}));
}

TEST_F(InputMethodTest, RenameTakesAConvertedTitle) {
    storeDisc("Disc A", {"a.txt"});
    MainWindow window(asking);
    showActive(&window);
    click(&window, "Command1(2)");
    CatalogWindow* catalogWindow = window.catalogWindow();
    ASSERT_NE(catalogWindow, nullptr);
    const QAbstractItemModel* discs = control<QTableView>(catalogWindow, "discTable")->model();
    ASSERT_TRUE(
        QTest::qWaitFor([discs] { return discs->index(0, 2).data().toString() != "…"; }, 10000));

    bool stayedOpen = false;
    whenShown(modal<QInputDialog>, [&] {
        auto* dialog = modal<QInputDialog>();
        auto* field = dialog->findChild<QLineEdit*>();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog, 10000));
        field->clear();
        ASSERT_NO_FATAL_FAILURE(startComposing(field));
        compose(field, "kaigi", "かいぎ");
        convert("会議");
        commitWithEnter(field, "会議");
        stayedOpen = dialog->isVisible();
        pressKeys({"Return"}); // nothing composed: the dialog's OK
    });
    click(catalogWindow, "renameButton");
    EXPECT_TRUE(stayedOpen) << "Enter that commits closed the dialog";
    EXPECT_EQ(tableRows(catalog, "MediaName"), (std::vector<std::vector<std::string>>{{"会議"}}));
    catalogWindow->close();
}

TEST_F(InputMethodTest, TheSaveDialogTakesAConvertedFileName) {
    std::filesystem::create_directory(dir / "logs");
    // The dialog opens in the current folder.
    const QString wasCurrent = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString((dir / "logs").string()));
    ReportWindow report(asking, "log\r\n", nullptr);
    report.showModal();

    bool stayedOpen = false;
    whenShown(modal<QFileDialog>, [&] {
        auto* dialog = modal<QFileDialog>();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog, 10000));
        auto* field = control<QLineEdit>(dialog, "fileNameEdit");
        ASSERT_NO_FATAL_FAILURE(startComposing(field));
        compose(field, "mitsumorisho", "みつもりしょ");
        convert("見積書");
        commitWithEnter(field, "見積書");
        stayedOpen = dialog->isVisible();
        pressKeys({"Return"}); // nothing composed: the dialog's Save
    });
    click(&report, "Command6");
    QDir::setCurrent(wasCurrent);
    EXPECT_TRUE(stayedOpen) << "Enter that commits closed the dialog";
    EXPECT_EQ(dir.read("logs/見積書"), "log\r\n\r\n");
    EXPECT_EQ(transcript.only("message"), (Lines{"message ログの保存: 保存しました。"}));
}

} // namespace
} // namespace orbisk

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // As the program: Qt's own texts in Japanese, the Japanese face, the input method
    // kept in step with the fields.
    orbisk::UseJapaneseTexts();
    orbisk::ForgetDroppedCompositions(application);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
