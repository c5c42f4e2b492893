#pragma once

#include "platform/dialogs.h"
#include "search/hit_table.h"

#include <filesystem>
#include <optional>
#include <string>

namespace orbisk {

inline constexpr const char* TooManyHitsMessage =
    "該当するファイルが多すぎます。Keyの単語を変えるか、対象のTitleを変更して下さい。";
inline constexpr const char* TooManyHitsTitle = "検索結果のファイル数が多すぎます。";
inline constexpr const char* FindTitle = "ファイルの検索";

class NameIndex;

// What a search came to: its hits, or why it has none to give.
struct Search {
    enum class End { Found, TooMany, Failed };
    End end = End::Found;
    HitTable hits;      // Found only
    std::string reason; // Failed only: why the catalogue could not be read
};

// The catalogued files whose name matches the key, on every disc when the title choice is
// exactly "ALL", else on the discs of that title (in any letter case). With a name index
// that is in step with the catalogue, only the rows it picks are read; else the catalogue
// is scanned: the hits are the same, in the same order.
Search SearchCatalog(const std::filesystem::path& catalogFile, const NameIndex* index,
                     const std::string& key, const std::string& titleChoice);

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

// The copy window's caption for a search of count hits.
std::string HitCaption(std::size_t count);

} // namespace orbisk
