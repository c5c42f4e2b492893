#include "registration/registration_store.h"

namespace orbisk {

RegistrationStore::RegistrationStore(Catalog& catalog)
    : catalog_(catalog),
      insertFile_(catalog.db().prepare("Insert Into MediaTable (ファイルパス, メディア名, "
                                       "ファイル名, 拡張子, サイズ, 登録日) "
                                       "Values (?1, ?2, ?3, ?4, ?5, ?6)",
                                       true)) {}

std::int64_t RegistrationStore::storeFileRow(const FileRow& row) {
    insertFile_.bind(1, row.path)
        .bind(2, row.title)
        .bind(3, row.name)
        .bind(4, row.extension)
        .bind(5, row.size)
        .bind(6, row.date)
        .run();
    return catalog_.db().lastInsertRowId();
}

void RegistrationStore::storeMember(std::int64_t archiveRow, const ArchiveMember& member) {
    if (!insertMember_) {
        catalog_.db().exec("Create Table If Not Exists OrbiskMembers ("
                           "member Integer Primary Key, file_row Integer, path Text, name Text, "
                           "bytes Integer, modified Integer);"
                           "Create Index If Not Exists OrbiskMembersOfFiles "
                           "On OrbiskMembers (file_row)");
        insertMember_ = catalog_.db().prepare("Insert Into OrbiskMembers (file_row, path, name, "
                                              "bytes, modified) Values (?1, ?2, ?3, ?4, ?5)",
                                              true);
    }
    insertMember_->bind(1, archiveRow)
        .bind(2, member.path)
        .bind(3, member.name)
        .bind(4, static_cast<std::int64_t>(member.facts.bytes))
        .bind(5, member.facts.modified)
        .run();
}

void RegistrationStore::storeTitle(const std::string& title) {
    catalog_.db().prepare("Insert Into MediaName (メディア名) Values (?1)").bind(1, title).run();
}

} // namespace orbisk
