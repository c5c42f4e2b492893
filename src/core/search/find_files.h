#pragma once

#include "platform/dialogs.h"
#include "search/hit_table.h"

#include <filesystem>
#include <optional>
#include <string>

namespace orbisk {

class NameIndex;

// What a search came to: its hits, or why it has none to give.
struct Search {
    enum class End { Found, TooMany, Failed };
    End end = End::Found;
    HitTable hits;       // Found only
    MessageLines reason; // Failed only: why the catalogue could not be read
};

// The catalogued files whose name matches the key, on every disc when the title choice is
// exactly "ALL", else on the discs of that title (in any letter case). With a name index
// that is in step with the catalogue, only the rows it picks are read; else the catalogue
// is scanned: the hits are the same, in the same order.
Search SearchCatalog(const std::filesystem::path& catalogFile, const NameIndex* index,
                     const std::string& key, const std::string& titleChoice);

// What the user is told of a search that has no hits to show (too many, or a catalogue
// that could not be read); nothing for one that found its hits.
std::optional<Notice> SearchNotice(const Search& search, const std::filesystem::path& catalogFile);

// FIND: the hits, or nothing after telling the user why there are none to show.
std::optional<HitTable> FindFiles(Dialogs& dialogs, const std::filesystem::path& catalogFile,
                                  const NameIndex* index, const std::string& key,
                                  const std::string& titleChoice);

// "[" + title + "]" + name, as shown: names from old discs that are not UTF-8 are read
// as the Japanese code page where they can be.
std::string HitLine(const Hit& hit);

// The hit's full path as shown, in the copy log: for a packed file its archive's path,
// " > " and its path in the archive.
std::string HitPathText(const Hit& hit);

} // namespace orbisk
