#include "catalog/catalog_files.h"

#include "catalog/connection.h"
#include "catalog/content_records.h"
#include "catalog/disc_records.h"
#include "catalog/packed_files.h"
#include "media/disc_identity.h"

#include <map>

namespace orbisk {

void ReadCatalogFiles(Catalog& catalog, const std::function<void(CatalogFile&)>& onFile) {
    Catalog::Transaction snapshot(catalog, Catalog::Transaction::Kind::Read);
    std::map<std::pair<std::int64_t, std::int64_t>, ContentFingerprint> contents;
    for (const StoredContent& stored : ReadContents(catalog, std::nullopt)) {
        contents.emplace(std::pair(stored.fileRow, stored.member), stored.content);
    }
    const auto contentOf = [&contents](std::int64_t row, std::int64_t member) {
        const auto found = contents.find({row, member});
        return found == contents.end() ? std::nullopt
                                       : std::optional<ContentFingerprint>(found->second);
    };
    const bool packed = HasPackedFiles(catalog);
    const PackedFileRows packedRows = packed ? JoinPackedFiles(catalog) : PackedFileRows{};
    for (const DiscRecord& record : ReadDiscRecords(catalog, std::nullopt, true)) {
        const auto kept = UnpackKeptFacts(record.keptFacts);
        if (!kept) {
            continue;
        }
        auto rows = Connection(catalog).prepare(
            "Select rowid, ファイルパス, ファイル名 From MediaTable Where rowid Between ?1 And ?2 "
            "And メディア名 = ?3 Order By rowid");
        rows.bind(1, record.firstRow).bind(2, record.lastRow).bind(3, record.title);
        std::optional<sqlite::Statement> members;
        if (packed) {
            members = Connection(catalog).prepare(
                "Select m.member, m.path, m.name, m.bytes, m.modified From " + packedRows.from +
                " Where m.file_row = ?1 Order By m.member");
        }
        CatalogFile file;
        while (rows.step()) {
            file.title = record.title; // onFile may have taken it
            file.row = rows.integer(0);
            file.member = 0;
            file.path = rows.text(1);
            // The registration kept its files' facts in the order of its rows, one a row.
            const auto index = static_cast<std::size_t>(file.row - record.firstRow);
            if (index >= kept->size() || (*kept)[index].pathCheck != PathCheck(file.path)) {
                continue;
            }
            file.memberPath.clear();
            file.name = rows.text(2);
            file.facts = (*kept)[index].facts;
            file.content = contentOf(file.row, 0);
            onFile(file);
            if (!members) {
                continue;
            }
            members->bind(1, file.row);
            const std::string archive = rows.text(1);
            while (members->step()) {
                file.title = record.title;
                file.member = members->integer(0);
                file.path = archive;
                file.memberPath = members->text(1);
                file.name = members->text(2);
                file.facts = {static_cast<std::uint64_t>(members->integer(3)), members->integer(4)};
                file.content = contentOf(file.row, file.member);
                onFile(file);
            }
            members->reset();
        }
    }
}

} // namespace orbisk
