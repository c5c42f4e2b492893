#pragma once

#include <string>
#include <string_view>

namespace orbisk {

// The text after the path's last separator; the whole path when it has none.
std::string GetFileName(std::string_view path, char separator);

// The text after the name's last "."; the whole name when it has none.
std::string GetExtension(std::string_view name);

// A folder the user names as a disc's root (the command line's, a window's folder list),
// as its drive text: its full path, normalised, without a separator at its end (the root
// stays "/"), so that the disc's paths are stored from it as a drive list gives it. The
// empty text when no full path can be made of it.
std::string FolderAsDrive(const std::string& folder);

} // namespace orbisk
