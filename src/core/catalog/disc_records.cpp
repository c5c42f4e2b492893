#include "catalog/disc_records.h"

#include "catalog/connection.h"

namespace orbisk {

namespace {

constexpr const char* Columns = "registration, title, first_row, last_row, drive, label, uuid, "
                                "type, root, files, bytes, fingerprint";

bool hasRecords(Catalog& catalog) {
    return HasTable(catalog, "OrbiskDiscs");
}

bool recordsTellImages(Catalog& catalog) {
    return Connection(catalog)
        .prepare("Select 1 From pragma_table_info('OrbiskDiscs') Where name = 'image'")
        .step();
}

} // namespace

void MakeDiscRecords(Catalog& catalog) {
    Connection(catalog).exec(
        "Create Table If Not Exists OrbiskDiscs ("
        "registration Integer Primary Key, title Text, first_row Integer, "
        "last_row Integer, drive Text, label Text, uuid Text, type Text, "
        "root Text, files Integer, bytes Integer, fingerprint Text, facts Blob, image Integer)");
    if (!recordsTellImages(catalog)) {
        Connection(catalog).exec("Alter Table OrbiskDiscs Add Column image Integer");
    }
}

void StoreDiscRecord(Catalog& catalog, const DiscRecord& record) {
    auto insert = Connection(catalog).prepare(
        "Insert Into OrbiskDiscs (title, first_row, last_row, drive, label, uuid, type, root, "
        "files, bytes, fingerprint, facts, image) "
        "Values (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13)");
    insert.bind(1, record.title).bind(2, record.firstRow).bind(3, record.lastRow);
    insert.bind(4, record.drive);
    if (record.volume) {
        insert.bind(5, record.volume->label).bind(6, record.volume->uuid);
        insert.bind(7, record.volume->type);
    } else {
        insert.bindNull(5).bindNull(6).bindNull(7);
    }
    insert.bind(8, record.root).bind(9, record.files);
    insert.bind(10, static_cast<std::int64_t>(record.bytes)).bind(11, record.fingerprint);
    insert.bindBlob(12, record.keptFacts);
    if (record.image) {
        insert.bind(13, std::int64_t{*record.image});
    } else {
        insert.bindNull(13);
    }
    insert.run();
}

std::vector<DiscRecord> ReadDiscRecords(Catalog& catalog, const std::optional<std::string>& title,
                                        bool withFacts) {
    std::vector<DiscRecord> records;
    if (!hasRecords(catalog)) {
        return records;
    }
    // A record is its registration's while the registration's first and last rows are
    // still there under its title: rows another program removed take their record along.
    auto rows = Connection(catalog).prepare(
        std::string("Select ") + Columns + (withFacts ? ", facts" : ", Null") +
        (recordsTellImages(catalog) ? ", image" : ", Null") +
        " From OrbiskDiscs d Where Exists (Select 1 From MediaTable t Where t.rowid = "
        "d.first_row And t.メディア名 = d.title) And Exists (Select 1 From MediaTable t Where "
        "t.rowid = d.last_row And t.メディア名 = d.title)" +
        (title ? " And d.title = ?1" : "") + " Order By registration");
    if (title) {
        rows.bind(1, *title);
    }
    while (rows.step()) {
        DiscRecord record;
        record.registration = rows.integer(0);
        record.title = rows.text(1);
        record.firstRow = rows.integer(2);
        record.lastRow = rows.integer(3);
        record.drive = rows.text(4);
        if (!rows.isNull(6)) {
            record.volume = VolumeIdentity{rows.text(5), rows.text(6), rows.text(7)};
        }
        record.root = rows.text(8);
        record.files = rows.integer(9);
        record.bytes = static_cast<std::uint64_t>(rows.integer(10));
        record.fingerprint = rows.text(11);
        record.keptFacts = rows.blob(12);
        if (!rows.isNull(13)) {
            record.image = rows.integer(13) != 0;
        }
        records.push_back(std::move(record));
    }
    return records;
}

std::string ReadKeptFacts(Catalog& catalog, std::int64_t registration) {
    if (!hasRecords(catalog)) {
        return "";
    }
    auto row = Connection(catalog).prepare("Select facts From OrbiskDiscs Where registration = ?1");
    row.bind(1, registration);
    return row.step() ? row.blob(0) : "";
}

void ForgetRemovedDiscRecords(Catalog& catalog) {
    if (hasRecords(catalog)) {
        Connection(catalog).exec("Delete From OrbiskDiscs Where last_row > "
                                 "(Select Coalesce(Max(rowid), 0) From MediaTable)");
    }
}

void RenameDiscRecords(Catalog& catalog, const std::string& title, const std::string& newTitle) {
    if (hasRecords(catalog)) {
        Connection(catalog)
            .prepare("Update OrbiskDiscs Set title = ?2 Where title = ?1")
            .bind(1, title)
            .bind(2, newTitle)
            .run();
    }
}

void RemoveDiscRecords(Catalog& catalog, const std::string& title) {
    if (hasRecords(catalog)) {
        Connection(catalog)
            .prepare("Delete From OrbiskDiscs Where title = ?1")
            .bind(1, title)
            .run();
    }
}

} // namespace orbisk
