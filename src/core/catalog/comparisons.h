#pragma once

struct sqlite3;

namespace orbisk {

// Makes the connection compare text as the catalogue does, letter case ignored also
// outside ASCII:
//  - "like" is the catalogue's own: "*", "?", "#" and bracket classes;
//  - the collation FOLDED compares texts by their case-folded characters, so that
//    "メディア名 = ?2 Collate FOLDED" finds a title in any letter case.
void RegisterComparisons(sqlite3* db);

} // namespace orbisk
