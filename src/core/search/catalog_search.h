#pragma once

#include "catalog/catalog.h"
#include "search/hit_table.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orbisk {

// Called for each hit in the catalogue's order; false stops the reading.
using OnHit = std::function<bool(Hit&&)>;

// The file rows whose name matches the LIKE key, of every title or of one (compared as
// the catalogue compares titles), in the catalogue's order: a scan of every row.
void ScanCatalog(Catalog& catalog, const std::string& key, const std::optional<std::string>& title,
                 const OnHit& onHit);

// The same among the rows given, in ascending order: those a name index picked. Each row
// is still checked here, so a row that does not match is passed over. Rows close together
// are read in one sweep rather than one by one.
void ReadCatalogRows(Catalog& catalog, const std::vector<std::int64_t>& rows,
                     const std::string& key, const std::optional<std::string>& title,
                     const OnHit& onHit);

// The files packed in archives whose name matches the key, of every title or of one (the
// archive's title), in the order they were registered; none in a catalogue without them.
void ScanMembers(Catalog& catalog, const std::string& key, const std::optional<std::string>& title,
                 const OnHit& onHit);

// The same among the packed files given, in ascending order.
void ReadMemberRows(Catalog& catalog, const std::vector<std::int64_t>& members,
                    const std::string& key, const std::optional<std::string>& title,
                    const OnHit& onHit);

} // namespace orbisk
