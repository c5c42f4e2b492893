#pragma once

#include "command.h"
#include "content/catalog_copies.h"

#include <optional>
#include <string>

namespace orbisk {

// What a command that lists the catalogue's copies starts from: the files and their groups
// of the same file, the title asked for, and where and how the list is written.
struct CopiesListing {
    CatalogCopies copies;
    std::optional<std::string> title;
    bool asJson = false;
    Output output;
};

// Reads the catalogue's copies for the run; nothing when the catalogue could not be read,
// which has then been told (the command ends Failed).
std::optional<CopiesListing> ReadCopiesListing(CommandRun& run);

// A file held elsewhere as a JSON object: its title, path, path in an archive (null for a
// file that is no archive's) and how surely it is the same file.
std::string JsonCopy(const CatalogFile& file, Match match);

// "strong" or "weak", as the lists word a match.
const char* MatchWord(Match match);

} // namespace orbisk
