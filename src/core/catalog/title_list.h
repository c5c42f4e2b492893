#pragma once

#include "platform/dialogs.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orbisk {

inline constexpr const char* AllTitles = "ALL";

// Every title row of MediaName in the catalogue's order, duplicates kept; a row without a
// title is passed over. Throws when the catalogue cannot be read.
std::vector<std::string> ReadTitles(const std::filesystem::path& catalogFile);

// The entries of the title list: "ALL", then every registered title. A catalogue that
// cannot be read leaves "ALL" alone, and the user is told why.
std::vector<std::string> TitleEntries(const std::filesystem::path& catalogFile, Dialogs& dialogs);

} // namespace orbisk
