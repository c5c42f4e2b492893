#include "catalog/title_rows.h"

#include "catalog/connection.h"

namespace orbisk {

std::vector<std::string> ReadTitles(Catalog& catalog) {
    auto rows = Connection(catalog).prepare("Select メディア名 From MediaName");
    std::vector<std::string> titles;
    while (rows.step()) {
        if (!rows.isNull(0)) {
            titles.push_back(rows.text(0));
        }
    }
    return titles;
}

std::vector<std::string> ReadTitles(const std::filesystem::path& catalogFile) {
    Catalog catalog(catalogFile);
    return ReadTitles(catalog);
}

void AddTitleRow(Catalog& catalog, const std::string& title) {
    Connection(catalog)
        .prepare("Insert Into MediaName (メディア名) Values (?1)")
        .bind(1, title)
        .run();
}

void RenameTitleRows(Catalog& catalog, const std::string& title, const std::string& newTitle) {
    Connection(catalog)
        .prepare("Update MediaName Set メディア名 = ?2 Where メディア名 = ?1")
        .bind(1, title)
        .bind(2, newTitle)
        .run();
}

void RemoveTitleRows(Catalog& catalog, const std::string& title) {
    Connection(catalog).prepare("Delete From MediaName Where メディア名 = ?1").bind(1, title).run();
}

} // namespace orbisk
