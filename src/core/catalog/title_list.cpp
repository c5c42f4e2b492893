#include "catalog/title_list.h"

#include "catalog/catalog.h"

namespace orbisk {

std::vector<std::string> ReadTitleList(const std::filesystem::path& catalogFile) {
    std::vector<std::string> titles = Catalog(catalogFile).titles();
    titles.insert(titles.begin(), AllTitles);
    return titles;
}

void RefreshTitles(const std::filesystem::path& catalogFile, TitleListView& view,
                   Dialogs& dialogs) {
    std::vector<std::string> entries{AllTitles};
    std::string failure;
    try {
        entries = ReadTitleList(catalogFile);
    } catch (const std::exception& error) {
        failure = error.what();
    }
    view.setTitles(entries);
    if (!failure.empty()) {
        dialogs.message(CatalogOpenFailure(catalogFile, failure), "Orbisk", Buttons::Ok);
    }
}

} // namespace orbisk
