#include "catalog/row_reader.h"

#include "catalog/connection.h"
#include "catalog/packed_files.h"

#include <functional>

namespace orbisk {

namespace {

// Where a search reads its rows: the catalogue's file rows, or the files packed in their
// archives, each with the archive's row. The id is the first column or the one named.
struct Rows {
    std::string select;
    const char* id;
    const char* name;
    const char* title;
    const char* order;
    int idColumn;
    Hit (*hit)(const sqlite::Statement& row);
};

Hit fileOf(const sqlite::Statement& row) {
    return FileHit(row.integer(0), row.text(1), row.text(2), row.text(3), row.text(4));
}

Hit memberOf(const sqlite::Statement& row) {
    Hit hit = fileOf(row);
    hit.member = row.integer(5);
    hit.memberPath = row.text(6);
    hit.memberBytes = static_cast<std::uint64_t>(row.integer(7));
    hit.memberOrdinal = row.integer(8);
    return hit;
}

const Rows Files{"Select rowid, ファイルパス, ファイル名, メディア名, サイズ From MediaTable",
                 "rowid",
                 "ファイル名",
                 "メディア名",
                 "",
                 0,
                 fileOf};

Rows memberRows(Catalog& catalog) {
    const PackedFileRows packed = JoinPackedFiles(catalog);
    return {"Select t.rowid, t.ファイルパス, m.name, t.メディア名, t.サイズ, m.member, m.path, "
            "m.bytes, " +
                packed.ordinal + " From " + packed.from,
            "m.member",
            "m.name",
            "t.メディア名",
            " Order By m.member",
            5,
            memberOf};
}

// The statement reading rows whose name matches ?1 (and whose title is ?2), within the
// ids ?3 to ?4 when within is set.
sqlite::Statement query(Catalog& catalog, const Rows& rows, bool within, const std::string& key,
                        const std::optional<std::string>& title) {
    std::string sql = rows.select + " Where ";
    if (within) {
        sql += std::string(rows.id) + " Between ?3 And ?4 And ";
    }
    sql += std::string(rows.name) + " like ?1";
    if (title) {
        sql += std::string(" And ") + rows.title + " = ?2 Collate FOLDED";
    }
    auto statement = Connection(catalog).prepare(sql + rows.order);
    statement.bind(1, key);
    if (title) {
        statement.bind(2, *title);
    }
    return statement;
}

void scan(Catalog& catalog, const Rows& rows, const std::string& key,
          const std::optional<std::string>& title, const OnHit& onHit) {
    auto statement = query(catalog, rows, false, key, title);
    while (statement.step()) {
        if (!onHit(rows.hit(statement))) {
            return;
        }
    }
}

// Reads the rows of ids (ascending) in sweeps of near ones.
void read(Catalog& catalog, const Rows& rows, const std::vector<std::int64_t>& ids,
          const std::string& key, const std::optional<std::string>& title, const OnHit& onHit) {
    // Rows this close are read in one sweep: stepping over a few rows costs less than
    // looking each row up anew.
    constexpr std::int64_t Gap = 64;
    auto sweep = query(catalog, rows, true, key, title);
    Catalog::Transaction snapshot(catalog, Catalog::Transaction::Kind::Read);
    for (std::size_t at = 0; at < ids.size();) {
        std::size_t end = at + 1;
        while (end < ids.size() && ids[end] - ids[end - 1] <= Gap) {
            ++end;
        }
        sweep.bind(3, ids[at]).bind(4, ids[end - 1]);
        std::size_t wanted = at;
        while (sweep.step()) {
            const std::int64_t id = sweep.integer(rows.idColumn);
            while (wanted < end && ids[wanted] < id) {
                ++wanted;
            }
            if (wanted < end && ids[wanted] == id && !onHit(rows.hit(sweep))) {
                sweep.reset();
                return;
            }
        }
        sweep.reset();
        at = end;
    }
}

} // namespace

void ScanCatalog(Catalog& catalog, const std::string& key, const std::optional<std::string>& title,
                 const OnHit& onHit) {
    scan(catalog, Files, key, title, onHit);
}

void ReadCatalogRows(Catalog& catalog, const std::vector<std::int64_t>& rows,
                     const std::string& key, const std::optional<std::string>& title,
                     const OnHit& onHit) {
    read(catalog, Files, rows, key, title, onHit);
}

void ScanMembers(Catalog& catalog, const std::string& key, const std::optional<std::string>& title,
                 const OnHit& onHit) {
    if (HasPackedFiles(catalog)) {
        scan(catalog, memberRows(catalog), key, title, onHit);
    }
}

void ReadMemberRows(Catalog& catalog, const std::vector<std::int64_t>& members,
                    const std::string& key, const std::optional<std::string>& title,
                    const OnHit& onHit) {
    if (!members.empty() && HasPackedFiles(catalog)) {
        read(catalog, memberRows(catalog), members, key, title, onHit);
    }
}

RowsInIdOrder::RowsInIdOrder(Catalog& catalog, Kind kind)
    : rows_(Connection(catalog).prepare(
          kind == Kind::Files
              ? "Select rowid, ファイル名, メディア名 From MediaTable Order By rowid"
              : "Select m.member, m.name, t.メディア名 From " + JoinPackedFiles(catalog).from +
                    " Order By m.member")) {}

std::int64_t LastFileRow(Catalog& catalog) {
    auto last = Connection(catalog).prepare("Select Coalesce(Max(rowid), 0) From MediaTable");
    last.step();
    return last.integer(0);
}

} // namespace orbisk
