#include "search/catalog_search.h"

namespace orbisk {

namespace {

constexpr const char* Columns =
    "Select rowid, ファイルパス, ファイル名, メディア名, サイズ From MediaTable ";

Hit hitOf(const sqlite::Statement& row) {
    return {row.integer(0), row.text(1), row.text(2), row.text(3), row.text(4)};
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

void ReadCatalogRows(Catalog& catalog, const std::vector<std::int64_t>& rows,
                     const std::string& key, const std::optional<std::string>& title,
                     const OnHit& onHit) {
    // Rows this close are read in one sweep: stepping over a few rows costs less than
    // looking each row up anew.
    constexpr std::int64_t Gap = 64;
    auto sweep = catalog.db().prepare(
        std::string(Columns) + (title ? "Where rowid Between ?3 And ?4 And ファイル名 like ?1 "
                                        "And メディア名 = ?2 Collate FOLDED"
                                      : "Where rowid Between ?3 And ?4 And ファイル名 like ?1"));
    sweep.bind(1, key);
    if (title) {
        sweep.bind(2, *title);
    }
    Catalog::Transaction snapshot(catalog, Catalog::Transaction::Kind::Read);
    for (std::size_t at = 0; at < rows.size();) {
        std::size_t end = at + 1;
        while (end < rows.size() && rows[end] - rows[end - 1] <= Gap) {
            ++end;
        }
        sweep.bind(3, rows[at]).bind(4, rows[end - 1]);
        std::size_t wanted = at;
        while (sweep.step()) {
            const std::int64_t row = sweep.integer(0);
            while (wanted < end && rows[wanted] < row) {
                ++wanted;
            }
            if (wanted < end && rows[wanted] == row && !onHit(hitOf(sweep))) {
                sweep.reset();
                return;
            }
        }
        sweep.reset();
        at = end;
    }
}

} // namespace orbisk
