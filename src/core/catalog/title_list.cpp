#include "catalog/title_list.h"

#include "catalog/catalog.h"

namespace orbisk {

std::vector<std::string> ReadTitles(const std::filesystem::path& catalogFile) {
    Catalog catalog(catalogFile);
    auto rows = catalog.db().prepare("Select メディア名 From MediaName");
    std::vector<std::string> titles;
    while (rows.step()) {
        if (!rows.isNull(0)) {
            titles.push_back(rows.text(0));
        }
    }
    return titles;
}

std::vector<std::string> TitleEntries(const std::filesystem::path& catalogFile, Dialogs& dialogs) {
    std::vector<std::string> entries{AllTitles};
    try {
        const auto titles = ReadTitles(catalogFile);
        entries.insert(entries.end(), titles.begin(), titles.end());
    } catch (const std::exception& error) {
        dialogs.message({MessageId::ProgramName, CatalogOpenFailure(catalogFile, ReasonOf(error))},
                        Buttons::Ok);
    }
    return entries;
}

} // namespace orbisk
