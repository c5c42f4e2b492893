#include "user_folders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace orbisk {

namespace {

std::filesystem::path home() {
    const char* variable = std::getenv("HOME");
    if (variable != nullptr && variable[0] == '/') {
        return variable;
    }
    const passwd* user = getpwuid(getuid());
    return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "/";
}

// An XDG base folder: the variable when it holds an absolute path (the XDG rules
// say to ignore a relative one), else the fallback below HOME.
std::filesystem::path xdgFolder(const char* variable, const char* fallback) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') {
        return value;
    }
    return home() / fallback;
}

} // namespace

std::filesystem::path UserDataFolder() {
    return xdgFolder("XDG_DATA_HOME", ".local/share") / "orbisk";
}

std::filesystem::path UserCacheFolder() {
    return xdgFolder("XDG_CACHE_HOME", ".cache") / "orbisk";
}

} // namespace orbisk
