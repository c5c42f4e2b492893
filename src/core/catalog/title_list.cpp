#include "catalog/title_list.h"

#include "catalog/catalog.h"
#include "catalog/title_rows.h"

namespace orbisk {

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
