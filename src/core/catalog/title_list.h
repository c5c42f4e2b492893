#pragma once

#include "catalog/title_rows.h"
#include "platform/dialogs.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orbisk {

inline constexpr const char* AllTitles = "ALL";

// The entries of the title list: "ALL", then every registered title. A catalogue that
// cannot be read leaves "ALL" alone, and the user is told why.
std::vector<std::string> TitleEntries(const std::filesystem::path& catalogFile, Dialogs& dialogs);

} // namespace orbisk
