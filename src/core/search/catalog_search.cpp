#include "search/catalog_search.h"

#include <functional>

namespace orbisk {

namespace {

constexpr const char* Columns =
    "Select rowid, ファイルパス, ファイル名, メディア名, サイズ From MediaTable ";

Hit hitOf(const sqlite::Statement& row) {
    return FileHit(row.integer(0), row.text(1), row.text(2), row.text(3), row.text(4));
}

} // namespace

void ScanCatalog(Catalog& catalog, const std::string& key, const std::optional<std::string>& title,
                 const OnHit& onHit) {
    auto rows =
        catalog.db().prepare(std::string(Columns) +
                             (title ? "Where ファイル名 like ?1 and メディア名 = ?2 Collate FOLDED"
                                    : "Where ファイル名 like ?1"));
    rows.bind(1, key);
    if (title) {
        rows.bind(2, *title);
    }
    while (rows.step()) {
        if (!onHit(hitOf(rows))) {
            return;
        }
    }
}

namespace {

constexpr const char* MemberColumns =
    "Select t.rowid, t.ファイルパス, m.name, t.メディア名, t.サイズ, m.member, m.path, m.bytes "
    "From OrbiskMembers m Join MediaTable t On t.rowid = m.file_row ";

bool hasMembers(Catalog& catalog) {
    return catalog.db()
        .prepare("Select 1 From sqlite_master Where type = 'table' And name = 'OrbiskMembers'")
        .step();
}

Hit memberOf(const sqlite::Statement& row) {
    Hit hit = hitOf(row);
    hit.member = row.integer(5);
    hit.memberPath = row.text(6);
    hit.memberBytes = static_cast<std::uint64_t>(row.integer(7));
    return hit;
}

// Reads the rows of ids (ascending) in sweeps of near ones with sweep, whose parameters
// ?3 and ?4 are the first and last id of a sweep and whose first column is the id.
void readRows(Catalog& catalog, sqlite::Statement& sweep, const std::vector<std::int64_t>& ids,
              const std::function<bool(const sqlite::Statement&)>& onRow, int idColumn) {
    // Rows this close are read in one sweep: stepping over a few rows costs less than
    // looking each row up anew.
    constexpr std::int64_t Gap = 64;
    Catalog::Transaction snapshot(catalog, Catalog::Transaction::Kind::Read);
    for (std::size_t at = 0; at < ids.size();) {
        std::size_t end = at + 1;
        while (end < ids.size() && ids[end] - ids[end - 1] <= Gap) {
            ++end;
        }
        sweep.bind(3, ids[at]).bind(4, ids[end - 1]);
        std::size_t wanted = at;
        while (sweep.step()) {
            const std::int64_t id = sweep.integer(idColumn);
            while (wanted < end && ids[wanted] < id) {
                ++wanted;
            }
            if (wanted < end && ids[wanted] == id && !onRow(sweep)) {
                sweep.reset();
                return;
            }
        }
        sweep.reset();
        at = end;
    }
}

} // namespace

void ScanMembers(Catalog& catalog, const std::string& key, const std::optional<std::string>& title,
                 const OnHit& onHit) {
    if (!hasMembers(catalog)) {
        return;
    }
    auto rows = catalog.db().prepare(
        std::string(MemberColumns) +
        (title ? "Where m.name like ?1 and t.メディア名 = ?2 Collate FOLDED Order By m.member"
               : "Where m.name like ?1 Order By m.member"));
    rows.bind(1, key);
    if (title) {
        rows.bind(2, *title);
    }
    while (rows.step()) {
        if (!onHit(memberOf(rows))) {
            rows.reset();
            return;
        }
    }
}

void ReadMemberRows(Catalog& catalog, const std::vector<std::int64_t>& members,
                    const std::string& key, const std::optional<std::string>& title,
                    const OnHit& onHit) {
    if (members.empty() || !hasMembers(catalog)) {
        return;
    }
    auto sweep = catalog.db().prepare(
        std::string(MemberColumns) +
        (title ? "Where m.member Between ?3 And ?4 And m.name like ?1 "
                 "And t.メディア名 = ?2 Collate FOLDED Order By m.member"
               : "Where m.member Between ?3 And ?4 And m.name like ?1 Order By m.member"));
    sweep.bind(1, key);
    if (title) {
        sweep.bind(2, *title);
    }
    readRows(
        catalog, sweep, members,
        [&onHit](const sqlite::Statement& row) { return onHit(memberOf(row)); }, 5);
}

void ReadCatalogRows(Catalog& catalog, const std::vector<std::int64_t>& rows,
                     const std::string& key, const std::optional<std::string>& title,
                     const OnHit& onHit) {
    auto sweep = catalog.db().prepare(
        std::string(Columns) + (title ? "Where rowid Between ?3 And ?4 And ファイル名 like ?1 "
                                        "And メディア名 = ?2 Collate FOLDED"
                                      : "Where rowid Between ?3 And ?4 And ファイル名 like ?1"));
    sweep.bind(1, key);
    if (title) {
        sweep.bind(2, *title);
    }
    readRows(
        catalog, sweep, rows, [&onHit](const sqlite::Statement& row) { return onHit(hitOf(row)); },
        0);
}

} // namespace orbisk
