#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;

namespace orbisk {

class Catalog;

// Files packed in archives belong to their archive's file row (OrbiskMembers.file_row). A
// row's id alone does not tie them to it: when another program removes rows from the
// catalogue's old tables, the engine gives their ids to the next rows added. So each packed
// file also keeps a check of its archive row's path, size and date as they were stored,
// and is its row's only while the row still has them.
std::int64_t ArchiveTie(std::string_view path, std::string_view size, std::string_view date);

// Whether the catalogue holds packed files at all: their table is made by the first
// registration that finds an archive, so an older catalogue has none.
bool HasPackedFiles(Catalog& catalog);

// Makes archive_tie(path, size, date) known to the connection's statements.
void RegisterArchiveTie(sqlite3* db);

// The packed files with their archive rows, as a statement's "From" part: OrbiskMembers as m
// and MediaTable as t, each packed file only with the row that is still its archive's, and
// ordinal, its entry's place in the archive (-1 where the registration did not keep it).
// A catalogue whose packed files were stored before ties were kept, and that no
// registration has written since, ties them by row id alone, as it always did.
struct PackedFileRows {
    std::string from;
    std::string ordinal;
};
PackedFileRows JoinPackedFiles(Catalog& catalog);

} // namespace orbisk
