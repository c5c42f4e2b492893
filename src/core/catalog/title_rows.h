#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace orbisk {

class Catalog;

// The title rows (MediaName): one per registration of a title.

// Every title row in the catalogue's order, duplicates kept; a row without a title is
// passed over. Throws when the catalogue cannot be read.
std::vector<std::string> ReadTitles(Catalog& catalog);
std::vector<std::string> ReadTitles(const std::filesystem::path& catalogFile);

void AddTitleRow(Catalog& catalog, const std::string& title);

// Every title row of the title (the exact text) renamed, or removed.
void RenameTitleRows(Catalog& catalog, const std::string& title, const std::string& newTitle);
void RemoveTitleRows(Catalog& catalog, const std::string& title);

} // namespace orbisk
