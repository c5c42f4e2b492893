#pragma once

#include <filesystem>

namespace orbisk {

// The program's folder in the user's data folder: $XDG_DATA_HOME/orbisk, or
// ~/.local/share/orbisk when XDG_DATA_HOME is not set to an absolute path.
std::filesystem::path UserDataFolder();

} // namespace orbisk
