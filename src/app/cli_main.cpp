// orbisk-cli: picks this machine's services and runs the command line.
#include "command_line.h"
#include "linux_file_system.h"
#include "locale_number_format.h"
#include "system_clock.h"
#include "user_folders.h"

#include <QCoreApplication>
#include <QFile>
#include <clocale>
#include <string>

int main(int argc, char** argv) {
    // Qt's core only, for the user's folders; it takes the user's locale as well.
    QCoreApplication application(argc, argv);
    std::setlocale(LC_ALL, "");
    orbisk::LinuxFileSystem files;
    orbisk::SystemClock clock;
    orbisk::LocaleNumberFormat numbers;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    return orbisk::RunCommandLine(
        arguments, {files, clock, numbers,
                    QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString(),
                    orbisk::UserDataFolder(), orbisk::UserCacheFolder(), orbisk::LocaleLanguage()});
}
