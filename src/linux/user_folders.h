#pragma once

#include <filesystem>

namespace orbisk {

// The program's folder in the user's data folder: $XDG_DATA_HOME/orbisk, or
// ~/.local/share/orbisk when XDG_DATA_HOME is not set to an absolute path.
std::filesystem::path UserDataFolder();

// The program's folder in the user's cache folder: $XDG_CACHE_HOME/orbisk, or
// ~/.cache/orbisk. What is kept there can be deleted at any time.
std::filesystem::path UserCacheFolder();

} // namespace orbisk
