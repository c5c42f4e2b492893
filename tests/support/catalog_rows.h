#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace orbisk::testing {

// Every row of a table, every column as text, read straight from the file.
std::vector<std::vector<std::string>> tableRows(const std::filesystem::path& catalog,
                                                const std::string& table);

// Runs SQL on the file (creating it), for tests that set up what the program never writes.
void execute(const std::filesystem::path& catalog, const std::string& sql);

} // namespace orbisk::testing
