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

void RegistrationStore::storeTitle(const std::string& title) {
    catalog_.db().prepare("Insert Into MediaName (メディア名) Values (?1)").bind(1, title).run();
}

} // namespace orbisk
