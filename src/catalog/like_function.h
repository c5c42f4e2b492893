#pragma once

struct sqlite3;

namespace orbisk {

// Makes the connection's "like" the catalogue's own: "*", "?", "#" and bracket classes,
// letter case ignored also outside ASCII.
void registerLikeFunction(sqlite3* db);

} // namespace orbisk
