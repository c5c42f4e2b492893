#include "catalog/packed_files.h"

#include "catalog/catalog.h"
#include "catalog/connection.h"
#include "catalog/tie_field.h"
#include "sqlite/function_arguments.h"
#include "text/byte_codes.h"

namespace orbisk {

namespace {

void archiveTie(sqlite3_context* context, int, sqlite3_value** arguments) {
    sqlite3_result_int64(context, ArchiveTie(sqlite::ArgumentText(arguments[0]),
                                             sqlite::ArgumentText(arguments[1]),
                                             sqlite::ArgumentText(arguments[2])));
}

bool hasTies(Catalog& catalog) {
    auto columns = Connection(catalog).prepare("Select 1 From pragma_table_info('OrbiskMembers') "
                                               "Where name = 'archive_tie'");
    return columns.step();
}

} // namespace

std::int64_t ArchiveTie(std::string_view path, std::string_view size, std::string_view date) {
    return static_cast<std::int64_t>(
        AddTieField(AddTieField(AddTieField(0x6A09E667F3BCC908ULL, path), size), date));
}

void RegisterArchiveTie(sqlite3* db) {
    sqlite3_create_function_v2(db, "archive_tie", 3,
                               SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                               archiveTie, nullptr, nullptr, nullptr);
}

bool HasPackedFiles(Catalog& catalog) {
    return HasTable(catalog, "OrbiskMembers");
}

PackedFileRows JoinPackedFiles(Catalog& catalog) {
    if (!hasTies(catalog)) {
        return {"OrbiskMembers m Join MediaTable t On t.rowid = m.file_row", "-1"};
    }
    return {"OrbiskMembers m Join MediaTable t On t.rowid = m.file_row "
            "And m.archive_tie = archive_tie(t.ファイルパス, t.サイズ, t.登録日)",
            "Coalesce(m.ordinal, -1)"};
}

} // namespace orbisk
