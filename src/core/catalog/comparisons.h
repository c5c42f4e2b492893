#pragma once

struct sqlite3;

namespace orbisk {

// Makes the connection compare text by the catalogue's rule (text_fold.h):
//  - "like" is the catalogue's own: "*", "?", "#" and bracket classes;
//  - the collation FOLDED compares texts by their folded characters, so that
//    "メディア名 = ?2 Collate FOLDED" finds a title in any letter case, width or kana.
void RegisterComparisons(sqlite3* db);

} // namespace orbisk
