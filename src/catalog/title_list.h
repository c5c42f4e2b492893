#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace orbisk {

inline constexpr const char* AllTitles = "ALL";

// The entries of the title list: "ALL", then every registered title in engine order,
// duplicates kept. Throws CatalogError when the catalogue cannot be read.
std::vector<std::string> ReadTitleList(const std::filesystem::path& catalogFile);

} // namespace orbisk
