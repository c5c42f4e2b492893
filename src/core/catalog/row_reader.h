#pragma once

#include "catalog/catalog.h"
#include "catalog/hit.h"
#include "sqlite/database.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
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

// The rows a name index is built from, in id order: each file row's id, name and title,
// or each packed file's id, its name and its archive's title. The index asks for rows and
// knows no table. Members needs a catalogue with packed files.
class RowsInIdOrder {
public:
    enum class Kind { Files, Members };
    RowsInIdOrder(Catalog& catalog, Kind kind);

    bool step() { return rows_.step(); }
    void reset() { rows_.reset(); }
    std::int64_t id() const { return rows_.integer(0); }
    std::string_view name() const { return rows_.view(1); }
    bool nameIsNull() const { return rows_.isNull(1); }
    std::string_view title() const { return rows_.view(2); }
    bool titleIsNull() const { return rows_.isNull(2); }

private:
    sqlite::Statement rows_;
};

// The highest file row id there is, 0 in an empty catalogue.
std::int64_t LastFileRow(Catalog& catalog);

} // namespace orbisk
