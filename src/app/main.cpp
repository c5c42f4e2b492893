#include "catalog/catalog.h"
#include "catalog/catalog_place.h"
#include "image/image_file_system.h"
#include "linux_file_system.h"
#include "locale_number_format.h"
#include "main_window.h"
#include "search/name_index.h"
#include "services/dropped_compositions.h"
#include "services/qt_dialogs.h"
#include "services/qt_event_pump.h"
#include "services/system_disc_tray.h"
#include "session.h"
#include "system_clock.h"
#include "user_folders.h"
#include "widgets/pictures.h"
#include "widgets/window_parts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <cstdio>
#include <optional>

namespace {

struct StartUp {
    std::filesystem::path catalog;
    std::optional<int> exitCode; // set when the program ends at once
};

// Reads the command line. Runs before the desktop is reached, so that every option it
// offers works in a terminal without one.
StartUp readCommandLine(int argc, char** argv) {
    QCoreApplication commandLine(argc, argv);
    QCoreApplication::setApplicationName("orbisk");
    QCoreApplication::setApplicationVersion(ORBISK_VERSION);
    const std::filesystem::path programFolder =
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();

    QCommandLineParser parser;
    parser.setApplicationDescription("Orbisk: a catalogue of CDs and DVDs.");
    // Qt's own --help-all would list options only a display can take.
    const QCommandLineOption help({"h", "help"}, "Show this help and the catalogue in use.");
    const QCommandLineOption version({"v", "version"}, "Show the version.");
    const QCommandLineOption catalog("catalog", "Use the catalogue FILE.", "FILE");
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption(catalog);
    if (!parser.parse(QCoreApplication::arguments()) || !parser.positionalArguments().isEmpty()) {
        const QString reason =
            parser.errorText().isEmpty()
                ? "Unexpected argument '" + parser.positionalArguments().first() + "'."
                : parser.errorText();
        std::fprintf(stderr, "%s\n\n%s", qPrintable(reason), qPrintable(parser.helpText()));
        return {{}, 2};
    }
    std::optional<std::filesystem::path> named;
    if (parser.isSet(catalog)) {
        named = QFile::encodeName(parser.value(catalog)).toStdString();
    }
    const auto chosen = orbisk::ChooseCatalog(named, programFolder, orbisk::UserDataFolder());
    if (parser.isSet(help)) {
        std::printf("%s\nCatalogue in use: %s\n", qPrintable(parser.helpText()), chosen.c_str());
        return {chosen, 0};
    }
    if (parser.isSet(version)) {
        std::printf("orbisk %s\n", ORBISK_VERSION);
        return {chosen, 0};
    }
    return {chosen, std::nullopt};
}

} // namespace

int main(int argc, char** argv) {
    const StartUp startUp = readCommandLine(argc, argv);
    if (startUp.exitCode) {
        return *startUp.exitCode;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName("Orbisk");
    QApplication::setWindowIcon(orbisk::pictures::ProgramIcon());
    orbisk::UseJapaneseTexts();
    orbisk::ForgetDroppedCompositions(application);

    orbisk::LinuxFileSystem machine;
    // A disc image file is a drive of its own, in the windows and on the command line.
    orbisk::ImageFileSystem files(machine);
    orbisk::SystemDiscTray tray;
    orbisk::QtDialogs dialogs;
    orbisk::QtEventPump events;
    orbisk::SystemClock clock;
    // After QApplication, which has taken the user's locale.
    orbisk::LocaleNumberFormat numbers;
    orbisk::OfferNewCatalog(startUp.catalog, orbisk::UserDataFolder(), dialogs);
    orbisk::NameIndex index(orbisk::IndexFolderFor(startUp.catalog, orbisk::UserCacheFolder()),
                            startUp.catalog, files);
    orbisk::Session session{
        {files, tray, dialogs, events, clock, numbers}, startUp.catalog, &index};
    int status = 0;
    {
        orbisk::MainWindow mainWindow(session);
        mainWindow.show();
        status = QApplication::exec();
    }
    orbisk::TidyCatalogFiles(startUp.catalog);
    return status;
}
