#include "app/application.h"
#include "catalog/catalog.h"
#include "platform/linux/linux_file_system.h"
#include "platform/linux/locale_number_format.h"
#include "platform/linux/system_clock.h"
#include "platform/qt/disc_tray.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_event_pump.h"
#include "windows/form1.h"
#include "windows/window_parts.h"

#include <QApplication>
#include <QFile>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName("Orbisk");
    orbisk::useJapaneseTexts();

    orbisk::LinuxFileSystem files;
    orbisk::DiscTray tray;
    orbisk::QtDialogs dialogs;
    orbisk::QtEventPump events;
    orbisk::SystemClock clock;
    // After QApplication, which has taken the user's locale.
    orbisk::LocaleNumberFormat numbers;
    const std::filesystem::path folder =
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    orbisk::Session session{
        {files, tray, dialogs, events, clock, numbers}, folder / orbisk::Catalog::FileName, {}};
    orbisk::WindowHub windows(session);
    orbisk::Form1 form1(session, windows);
    form1.show();
    return QApplication::exec();
}
