#include "catalog/row_writer.h"

#include "catalog/connection.h"
#include "catalog/content_records.h"
#include "catalog/packed_files.h"
#include "catalog/title_rows.h"

namespace orbisk {

namespace {

// Packed files stored before each kept its entry's place and what ties it to its archive's
// row: they are tied to the row they belong to now, and those of rows gone go with them.
void upgradeMembers(Catalog& catalog) {
    auto ties = Connection(catalog).prepare(
        "Select 1 From pragma_table_info('OrbiskMembers') Where name = 'archive_tie'");
    if (ties.step()) {
        return;
    }
    Connection(catalog).exec(
        "Alter Table OrbiskMembers Add Column ordinal Integer;"
        "Alter Table OrbiskMembers Add Column archive_tie Integer;"
        "Delete From OrbiskMembers Where file_row Not In "
        "(Select rowid From MediaTable);"
        "Update OrbiskMembers Set archive_tie = (Select archive_tie(ファイルパス, "
        "サイズ, 登録日) From MediaTable Where rowid = file_row)");
}

} // namespace

RowWriter::RowWriter(Catalog& catalog)
    : catalog_(catalog),
      insertFile_(Connection(catalog).prepare("Insert Into MediaTable (ファイルパス, メディア名, "
                                              "ファイル名, 拡張子, サイズ, 登録日) "
                                              "Values (?1, ?2, ?3, ?4, ?5, ?6)",
                                              true)) {
    ForgetRemovedContents(catalog_);
    if (HasPackedFiles(catalog_)) {
        upgradeMembers(catalog_);
        // The engine gives a new row the id after the highest one: packed files above it
        // belong to rows removed by another program.
        Connection(catalog_).exec("Delete From OrbiskMembers Where file_row > "
                                  "(Select Coalesce(Max(rowid), 0) From MediaTable)");
    }
}

std::int64_t RowWriter::storeFileRow(const FileRow& row) {
    insertFile_.bind(1, row.path)
        .bind(2, row.title)
        .bind(3, row.name)
        .bind(4, row.extension)
        .bind(5, row.size)
        .bind(6, row.date)
        .run();
    return Connection(catalog_).lastInsertRowId();
}

std::int64_t RowWriter::storeMember(std::int64_t archiveRow, const FileRow& archive,
                                    const ArchiveMember& member) {
    if (!insertMember_) {
        Connection(catalog_).exec(
            "Create Table If Not Exists OrbiskMembers ("
            "member Integer Primary Key, file_row Integer, path Text, name Text, "
            "bytes Integer, modified Integer, ordinal Integer, "
            "archive_tie Integer);"
            "Create Index If Not Exists OrbiskMembersOfFiles "
            "On OrbiskMembers (file_row)");
        insertMember_ = Connection(catalog_).prepare(
            "Insert Into OrbiskMembers (file_row, path, name, bytes, modified, ordinal, "
            "archive_tie) Values (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
            true);
    }
    if (tiedRow_ != archiveRow) {
        tiedRow_ = archiveRow;
        tie_ = ArchiveTie(archive.path, archive.size, archive.date);
    }
    insertMember_->bind(1, archiveRow)
        .bind(2, member.path)
        .bind(3, member.name)
        .bind(4, static_cast<std::int64_t>(member.facts.bytes))
        .bind(5, member.facts.modified)
        .bind(6, member.ordinal)
        .bind(7, tie_)
        .run();
    return Connection(catalog_).lastInsertRowId();
}

void RowWriter::storeContent(std::int64_t row, std::int64_t member,
                             const ContentFingerprint& content) {
    // A packed file's table made after the writer (the disc's first archive comes after its
    // first file) needs a writer that knows it.
    if (!contents_ || (member != 0 && !contentsSeeMembers_)) {
        contents_ = std::make_unique<ContentWriter>(catalog_);
        contentsSeeMembers_ = insertMember_.has_value() || HasPackedFiles(catalog_);
    }
    contents_->store({row, member, content});
}

void RowWriter::storeTitle(const std::string& title) {
    AddTitleRow(catalog_, title);
}

} // namespace orbisk
