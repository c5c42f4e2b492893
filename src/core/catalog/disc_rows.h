#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orbisk {

class Catalog;

// What the catalogue holds of one disc title: its registrations (title rows), its file
// rows, their sizes added up and the registration dates, oldest first.
struct DiscFigures {
    std::string title;
    std::string label; // the volume's, as its last registration read it; empty when unknown
    std::string drive; // where its last registration read it (a drive, a folder or an image
                       // file); empty when unknown
    std::int64_t registrations = 0;
    std::int64_t files = 0;
    std::int64_t kilobytes = 0;
    std::vector<std::string> dates;
    std::optional<bool> image; // whether drive is a disc image file; unknown for records
                               // kept before this was
};

// One file of a disc, as the catalogue window shows it: a file row, or a file packed in
// an archive, whose path is then the archive's path, "/" and its path in the archive.
struct DiscFile {
    std::string path;
    std::string name;
    std::int64_t kilobytes = 0;
    std::string date;
    std::int64_t row = 0;    // its file row (the archive's, for a packed file)
    std::int64_t member = 0; // the packed file's id; 0 for a file row
};

// Every disc title, with its figures: the titles of the title rows in the order of their
// first row, then titles that only file rows carry (left by a registration of an older
// program that failed half-way); with the label of the disc where a registration read it. Reads
// every row: give it a thread of its own on a large catalogue. keepGoing is asked every 100,000
// rows; false stops the reading.
std::vector<DiscFigures> ReadDiscFigures(const std::filesystem::path& catalogFile,
                                         const std::function<bool()>& keepGoing = {});

// The file rows of one title (the exact text), in the catalogue's order, then the files
// packed in its archives.
std::vector<DiscFile> ReadDiscFiles(const std::filesystem::path& catalogFile,
                                    const std::string& title);

// Whether a title has a title row or a file row (the exact text): a disc registered before.
bool IsRegistered(Catalog& catalog, const std::string& title);

// The number of file rows of a title (the exact text).
std::int64_t CountDiscFiles(Catalog& catalog, const std::string& title);

// Every row of the catalogue, or of one title, as the catalogue holds them: path, title,
// name, extension, size, date and an empty path in an archive; then every file packed in
// an archive: the archive's path, title, the packed file's name, its extension, its size
// (kilobytes), the archive's date and the packed file's path in the archive. onRow
// returns false to stop.
void ExportRows(Catalog& catalog, const std::optional<std::string>& title,
                const std::function<bool(const std::vector<std::string>& row)>& onRow);

// Gives every row of a title, file rows and title rows, the new title; or removes them
// all. Each is one transaction: a failure leaves the catalogue as it was. The title is
// compared exactly, so a title differing only in letter case is not touched.
void RenameDisc(Catalog& catalog, const std::string& title, const std::string& newTitle);
void RemoveDisc(Catalog& catalog, const std::string& title);

} // namespace orbisk
