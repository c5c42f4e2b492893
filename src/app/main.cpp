#include "catalog/catalog.h"
#include "linux_file_system.h"
#include "locale_number_format.h"
#include "main_window.h"
#include "services/qt_dialogs.h"
#include "services/qt_event_pump.h"
#include "services/system_disc_tray.h"
#include "session.h"
#include "system_clock.h"
#include "widgets/window_parts.h"

#include <QApplication>
#include <QFile>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Orbisk");
    orbisk::useJapaneseTexts();

    orbisk::LinuxFileSystem files;
    orbisk::SystemDiscTray tray;
    orbisk::QtDialogs dialogs;
    orbisk::QtEventPump events;
    orbisk::SystemClock clock;
    // After QApplication, which has taken the user's locale.
    orbisk::LocaleNumberFormat numbers;
    const std::filesystem::path folder =
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    orbisk::Session session{
        {files, tray, dialogs, events, clock, numbers}, folder / orbisk::Catalog::FileName, {}};
    orbisk::MainWindow mainWindow(session);
    mainWindow.show();
    return QApplication::exec();
}
