#include "catalog/catalog.h"
#include "catalog/catalog_place.h"
#include "image/image_file_system.h"
#include "linux_file_system.h"
#include "locale_number_format.h"
#include "main_window.h"
#include "options.h"
#include "output.h"
#include "search/name_index.h"
#include "services/dropped_compositions.h"
#include "services/qt_dialogs.h"
#include "services/system_disc_tray.h"
#include "session.h"
#include "system_clock.h"
#include "user_folders.h"
#include "widgets/pictures.h"
#include "widgets/window_parts.h"

#include <QApplication>
#include <QFile>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

struct StartUp {
    std::filesystem::path catalog;
    std::optional<int> exitCode; // set when the program ends at once
};

// The help of the options, in the user's language.
std::string usage(orbisk::Language language) {
    return std::string(orbisk::Bilingual{"Usage: orbisk [--catalog FILE]\n"
                                         "Orbisk: a catalogue of CDs and DVDs.\n\nOptions:\n",
                                         "使い方: orbisk [--catalog FILE]\n"
                                         "Orbisk: CDとDVDのカタログ\n\nオプション:\n"}
                           .in(language)) +
           orbisk::OptionLines(orbisk::ProgramOptions, language);
}

// Reads the command line, with the reader orbisk-cli reads its own with. Runs before the
// desktop is reached, so that every option it offers works in a terminal without one.
StartUp readCommandLine(int argc, char** argv) {
    QCoreApplication commandLine(argc, argv);
    const std::filesystem::path programFolder =
        QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    const orbisk::Language language = orbisk::LocaleLanguage();
    std::vector<orbisk::OptionSpec> known;
    for (const orbisk::HelpedOption& option : orbisk::ProgramOptions) {
        known.push_back(option.spec);
    }
    const orbisk::CommandLine line =
        orbisk::ReadCommandLine(std::vector<std::string>(argv + 1, argv + argc), known, language);
    if (!line.error.empty() || !line.words.empty()) {
        const std::string reason =
            !line.error.empty()
                ? line.error
                : orbisk::Filled(
                      orbisk::Bilingual{"Unexpected argument '{}'.", "引数「{}」は使えません。"}.in(
                          language),
                      {line.words.front()});
        std::fprintf(stderr, "%s\n\n%s", orbisk::TerminalText(reason).c_str(),
                     usage(language).c_str());
        return {{}, 2};
    }
    std::optional<std::filesystem::path> named;
    if (const auto file = line.value(orbisk::CatalogOption)) {
        named = *file;
    }
    const auto chosen = orbisk::ChooseCatalog(named, programFolder, orbisk::UserDataFolder());
    if (line.has(orbisk::HelpOption)) {
        std::printf("%s\n%s\n", usage(language).c_str(),
                    orbisk::CatalogueInUse(chosen.string(), language).c_str());
        return {chosen, 0};
    }
    if (line.has(orbisk::VersionOption)) {
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
    orbisk::SystemClock clock;
    // After QApplication, which has taken the user's locale.
    orbisk::LocaleNumberFormat numbers;
    orbisk::OfferNewCatalog(startUp.catalog, orbisk::UserDataFolder(), dialogs);
    orbisk::NameIndex index(orbisk::IndexFolderFor(startUp.catalog, orbisk::UserCacheFolder()),
                            startUp.catalog, files);
    orbisk::Session session{{files, tray, dialogs, clock, numbers}, startUp.catalog, &index};
    int status = 0;
    {
        orbisk::MainWindow mainWindow(session);
        mainWindow.show();
        status = QApplication::exec();
    }
    orbisk::TidyCatalogFiles(startUp.catalog);
    return status;
}
