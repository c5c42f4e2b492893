#pragma once

#include <filesystem>

namespace orbisk {

// The program's folder in the user's data folder ($XDG_DATA_HOME/orbisk, by default
// ~/.local/share/orbisk, also when the variable is relative), where an installed program
// keeps its catalogue.
std::filesystem::path UserDataFolder();

// The program's folder in the user's cache folder ($XDG_CACHE_HOME/orbisk, by default
// ~/.cache/orbisk, also when the variable is relative). What is kept there can be deleted
// at any time.
std::filesystem::path UserCacheFolder();

} // namespace orbisk
