#include "catalog/packed_files.h"

#include "catalog/catalog.h"
#include "catalog/connection.h"
#include "text/byte_codes.h"

#include <sqlite3.h>

namespace orbisk {

namespace {

std::uint64_t addField(std::uint64_t seed, std::string_view field) {
    return HashBytes(MixBits(seed ^ field.size()), field);
}

std::string_view argumentText(sqlite3_value* value) {
    const auto* text = sqlite3_value_text(value);
    return text == nullptr ? std::string_view()
                           : std::string_view(reinterpret_cast<const char*>(text),
                                              static_cast<std::size_t>(sqlite3_value_bytes(value)));
}

void archiveTie(sqlite3_context* context, int, sqlite3_value** arguments) {
    sqlite3_result_int64(context, ArchiveTie(argumentText(arguments[0]), argumentText(arguments[1]),
                                             argumentText(arguments[2])));
}

bool hasTies(Catalog& catalog) {
    auto columns = Connection(catalog).prepare("Select 1 From pragma_table_info('OrbiskMembers') "
                                               "Where name = 'archive_tie'");
    return columns.step();
}

} // namespace

std::int64_t ArchiveTie(std::string_view path, std::string_view size, std::string_view date) {
    return static_cast<std::int64_t>(
        addField(addField(addField(0x6A09E667F3BCC908ULL, path), size), date));
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
