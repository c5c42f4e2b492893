#pragma once

#include "app/application.h"
#include "catalog/catalog.h"
#include "copy/form2.h"
#include "platform/linux/linux_file_system.h"
#include "platform/qt/qt_event_pump.h"
#include "report/form3.h"
#include "support/scripted_platform.h"
#include "support/temp_dir.h"

#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace orbisk::testing {

// Runs action from the event loop of the modal window showing, once window() is shown.
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

// A session on this machine's real file system and a real catalogue in a temporary
// folder, with the tray and the message boxes scripted.
class GuiTest : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path catalog = newCatalog(dir);
    Transcript transcript;
    LinuxFileSystem files;
    RecordingTray tray{transcript};
    ScriptedDialogs dialogs{transcript};
    QtEventPump events;
    FixedClock clock;
    CommaNumberFormat numbers;
    Session session{{files, tray, dialogs, events, clock, numbers}, catalog, {}};
    WindowHub windows{session};

    std::function<QWidget*()> copyWindowShown() {
        return [this]() -> QWidget* { return windows.copyWindow(); };
    }
    std::function<QWidget*()> reportWindowShown() {
        return [this]() -> QWidget* { return windows.reportWindow(); };
    }
};

} // namespace orbisk::testing
