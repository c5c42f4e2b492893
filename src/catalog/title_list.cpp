#include "catalog/title_list.h"

#include "catalog/catalog.h"

namespace orbisk {

std::vector<std::string> ReadTitleList(const std::filesystem::path& catalogFile) {
    std::vector<std::string> titles = Catalog(catalogFile).titles();
    titles.insert(titles.begin(), AllTitles);
    return titles;
}

} // namespace orbisk
