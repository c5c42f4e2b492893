#include "user_folders.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cstdlib>

namespace orbisk {

namespace {

// The folder the variable names, or, where it is unset, empty or relative (which the XDG
// rule says to ignore: the folder would depend on where the program was started), the
// fallback in the home folder.
std::filesystem::path folder(QStandardPaths::StandardLocation location, const char* variable,
                             const char* fallback) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] != '\0' && value[0] != '/') {
        return std::filesystem::path(QFile::encodeName(QDir::homePath()).toStdString()) / fallback /
               "orbisk";
    }
    return std::filesystem::path(
               QFile::encodeName(QStandardPaths::writableLocation(location)).toStdString()) /
           "orbisk";
}

} // namespace

std::filesystem::path UserDataFolder() {
    return folder(QStandardPaths::GenericDataLocation, "XDG_DATA_HOME", ".local/share");
}

std::filesystem::path UserCacheFolder() {
    return folder(QStandardPaths::GenericCacheLocation, "XDG_CACHE_HOME", ".cache");
}

} // namespace orbisk
