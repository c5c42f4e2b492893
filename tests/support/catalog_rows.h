#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace orbisk {
struct FileRow;
}

namespace orbisk::testing {

// Stores rows as a registration would, each call its own transaction.
void storeTitle(const std::filesystem::path& catalog, const std::string& title);
void storeFiles(const std::filesystem::path& catalog, const std::vector<FileRow>& rows);

// Every row of a table, every column as text, read straight from the file.
std::vector<std::vector<std::string>> tableRows(const std::filesystem::path& catalog,
                                                const std::string& table);

// Runs SQL on the file (creating it), for tests that set up what the program never writes.
void execute(const std::filesystem::path& catalog, const std::string& sql);

// Overwrites the start of one page (counted from 1) of the file with garbage, as a bad
// sector or a stray write would.
void damagePage(const std::filesystem::path& catalog, int page, int pageSize = 1024);

} // namespace orbisk::testing
