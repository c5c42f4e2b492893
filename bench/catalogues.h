#pragma once

#include "catalog/row_writer.h"

#include <filesystem>
#include <string>
#include <vector>

namespace orbisk::bench {

// A catalogue made afresh under name in the data folder.
std::filesystem::path freshCatalog(const std::string& name);

// count rows as a registration of one disc of that many files writes them.
std::vector<FileRow> sampleRows(int count);

// The rows in one bare transaction: the floor of what storing them can cost.
void storeInOneTransaction(const std::filesystem::path& file, const std::vector<FileRow>& rows);

// A search catalogue of any size: a hundred titles, one name in twenty a text file, one in
// ten thousand a 2003 report, the rest images and data. Kept for later runs.
std::filesystem::path searchCatalog(int rowCount, const std::string& folder);

// A million names as Japanese discs hold them: kana and kanji, half- and full-width,
// composed and decomposed. Kept for later runs.
std::filesystem::path japaneseCatalog();

// A million rows on ten discs of 100,000 files in 5,000 folders each. Kept.
std::filesystem::path browseCatalog();

// The paths of a search catalogue as a file locator lists them, title first
// ("/Disc 001/folder7/image_14.jpg"), sorted as a walk of such a tree gives them.
std::filesystem::path pathList(const std::filesystem::path& catalog);

} // namespace orbisk::bench
