#include "edit/disc_store.h"

#include "catalog/catalog.h"
#include "catalog/title_rows.h"

#include <unordered_set>

namespace orbisk {

std::vector<std::string> ReadDiscTitles(const std::filesystem::path& catalogFile) {
    std::vector<std::string> distinct;
    std::unordered_set<std::string> seen;
    for (std::string& title : ReadTitles(catalogFile)) {
        if (seen.insert(title).second) {
            distinct.push_back(std::move(title));
        }
    }
    return distinct;
}

std::optional<MessageLines> WhyUnchangeable(const std::filesystem::path& catalogFile) {
    try {
        Catalog(catalogFile, Catalog::Access::Write);
    } catch (const std::exception& error) {
        return Then({{MessageId::CatalogUnchangeable, {}}}, ReasonOf(error));
    }
    return std::nullopt;
}

} // namespace orbisk
