#pragma once

#include "catalog/catalog.h"

namespace orbisk {

// The catalogue's connection, for the readers and writers of its tables in this folder
// alone: every statement on the catalogue is written here, so that a table's columns are
// known in one place and nothing outside reaches the file past them.
inline sqlite::Database& Connection(Catalog& catalog) {
    return catalog.db_;
}

// Whether the catalogue holds the table: Orbisk's own tables (disc records, packed files)
// are made by the first registration that needs them, so an older catalogue has none.
bool HasTable(Catalog& catalog, const char* name);

} // namespace orbisk
