#include "support/catalog_rows.h"

#include "catalog/catalog.h"
#include "catalog/row_writer.h"

#include <fstream>
#include <sqlite3.h>
#include <stdexcept>

namespace orbisk::testing {

void storeTitle(const std::filesystem::path& catalog, const std::string& title) {
    Catalog c(catalog, Catalog::Access::Write);
    RowWriter(c).storeTitle(title);
}

void storeFiles(const std::filesystem::path& catalog, const std::vector<FileRow>& rows) {
    Catalog c(catalog, Catalog::Access::Write);
    Catalog::Transaction registration(c);
    RowWriter store(c);
    for (const FileRow& row : rows) {
        store.storeFileRow(row);
    }
    registration.commit();
}

std::vector<std::vector<std::string>> tableRows(const std::filesystem::path& catalog,
                                                const std::string& table) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(catalog.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, ("Select * From " + table).c_str(), -1, &statement, nullptr) !=
        SQLITE_OK) {
        const std::string reason = sqlite3_errmsg(db);
        sqlite3_close(db);
        throw std::runtime_error("cannot read " + table + ": " + reason);
    }
    std::vector<std::vector<std::string>> rows;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int c = 0; c < sqlite3_column_count(statement); ++c) {
            const auto* text = sqlite3_column_text(statement, c);
            row.emplace_back(
                text ? std::string(reinterpret_cast<const char*>(text),
                                   static_cast<std::size_t>(sqlite3_column_bytes(statement, c)))
                     : "<null>");
        }
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

void execute(const std::filesystem::path& catalog, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(catalog.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    char* message = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message);
    const std::string reason = message ? message : "";
    sqlite3_free(message);
    sqlite3_close(db);
    if (rc != SQLITE_OK) {
        throw std::runtime_error(reason);
    }
}

void damagePage(const std::filesystem::path& catalog, int page, int pageSize) {
    std::fstream file(catalog, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(page - 1) * pageSize);
    const std::string garbage(64, '\xA5');
    file.write(garbage.data(), static_cast<std::streamsize>(garbage.size()));
    if (!file) {
        throw std::runtime_error("cannot damage " + catalog.string());
    }
}

} // namespace orbisk::testing
