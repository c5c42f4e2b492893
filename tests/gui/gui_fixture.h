#pragma once

#include "catalog/catalog.h"
#include "copy_window.h"
#include "linux_file_system.h"
#include "main_window.h"
#include "report_window.h"
#include "services/command_worker.h"
#include "session.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace orbisk::testing {

// Runs action from the event loop of a real modal window (a message box, a file dialog),
// once window() is shown.
inline void whenShown(std::function<QWidget*()> window, std::function<void()> action) {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, window, action] {
        QWidget* shown = window();
        if (shown != nullptr && shown->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action();
        }
    });
    timer->start(5);
}

// The control of a window by the name it had on the old program's screens.
template <class Control = QWidget> Control* control(const QWidget* window, const char* name) {
    auto* found = window->findChild<Control*>(name);
    if (found == nullptr) {
        ADD_FAILURE() << "no control " << name << " in " << window->objectName().toStdString();
    }
    return found;
}

// Lets the window's commands that run as workers (ADD, COPY) come to their end, showing
// what they report meanwhile.
inline void waitForWorkers(const QWidget* window) {
    const auto running = [window] {
        const auto workers = window->findChildren<CommandWorker*>();
        return std::any_of(workers.begin(), workers.end(),
                           [](const CommandWorker* worker) { return worker->running(); });
    };
    EXPECT_TRUE(QTest::qWaitFor([&running] { return !running(); }, 120000));
}

// Clicks the button and waits for the command it starts.
inline void click(const QWidget* window, const char* name) {
    control<QAbstractButton>(window, name)->click();
    waitForWorkers(window);
}

// The scripted tray, which a command's worker moves: its moves are written down on the
// window's thread, in their order among the questions the worker asks there, so that the
// test reads one transcript written by one thread.
class WindowThreadTray : public DiscTray {
public:
    explicit WindowThreadTray(Transcript& transcript) : tray_(transcript) {}
    void open() override {
        onWindowThread([this] { tray_.open(); });
    }
    void close() override {
        onWindowThread([this] { tray_.close(); });
    }

private:
    static void onWindowThread(std::function<void()> call) {
        if (QThread::currentThread() == qApp->thread()) {
            call();
        } else {
            QMetaObject::invokeMethod(qApp, std::move(call), Qt::QueuedConnection);
        }
    }
    RecordingTray tray_;
};

// A session on this machine's real file system and a real catalogue in a temporary
// folder, with the tray and the message boxes scripted.
class GuiTest : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path catalog = newCatalog(dir);
    Transcript transcript;
    LinuxFileSystem files;
    WindowThreadTray tray{transcript};
    ScriptedDialogs dialogs{transcript};
    FixedClock clock;
    CommaNumberFormat numbers;
    Session session{{files, tray, dialogs, clock, numbers}, catalog, nullptr};

    // Types key and title into the search panel and runs FIND: the copy window it opens,
    // or null.
    static CopyWindow* find(MainWindow& main, const std::string& key,
                            const std::string& title = "ALL") {
        control<QLineEdit>(&main, "Text3")->setText(QString::fromStdString(key));
        control<QComboBox>(&main, "Combo1")->setEditText(QString::fromStdString(title));
        click(&main, "Command6");
        return main.copyWindow();
    }
};

} // namespace orbisk::testing
