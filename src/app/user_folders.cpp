#include "user_folders.h"

#include <QFile>
#include <QStandardPaths>

namespace orbisk {

namespace {

std::filesystem::path folder(QStandardPaths::StandardLocation location) {
    return std::filesystem::path(
               QFile::encodeName(QStandardPaths::writableLocation(location)).toStdString()) /
           "orbisk";
}

} // namespace

std::filesystem::path UserDataFolder() {
    return folder(QStandardPaths::GenericDataLocation);
}

std::filesystem::path UserCacheFolder() {
    return folder(QStandardPaths::GenericCacheLocation);
}

} // namespace orbisk
