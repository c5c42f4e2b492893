#include "search/find_files.h"

#include "catalog/title_list.h"
#include "search/catalog_search.h"
#include "search/name_index.h"
#include "text/display_text.h"

namespace orbisk {

Search SearchCatalog(const std::filesystem::path& catalogFile, const NameIndex* index,
                     const std::string& key, const std::string& titleChoice) {
    const std::optional<std::string> title =
        titleChoice == AllTitles ? std::nullopt : std::optional<std::string>(titleChoice);
    Search search;
    const auto collect = [&search](Hit&& hit) {
        if (search.hits.size() >= MostHits) {
            search.end = Search::End::TooMany;
            return false;
        }
        search.hits.push_back(std::move(hit));
        return true;
    };
    try {
        const auto candidates = index != nullptr ? index->candidates(key, title) : std::nullopt;
        // The index is proved in step with the catalogue: more rows than a search holds are
        // too many, without reading them.
        if (candidates && candidates->size() > MostHits) {
            return {Search::End::TooMany, {}, {}};
        }
        // The files of the discs first, then the files packed in their archives.
        Catalog catalog(catalogFile);
        if (candidates) {
            ReadCatalogRows(catalog, candidates->files, key, title, collect);
            if (search.end != Search::End::TooMany) {
                ReadMemberRows(catalog, candidates->members, key, title, collect);
            }
        } else {
            ScanCatalog(catalog, key, title, collect);
            if (search.end != Search::End::TooMany) {
                ScanMembers(catalog, key, title, collect);
            }
        }
    } catch (const std::exception& error) {
        return {Search::End::Failed, {}, error.what()};
    }
    if (search.end == Search::End::TooMany) {
        search.hits.clear();
    }
    return search;
}

std::optional<HitTable> FindFiles(Dialogs& dialogs, const std::filesystem::path& catalogFile,
                                  const NameIndex* index, const std::string& key,
                                  const std::string& titleChoice) {
    Search search = SearchCatalog(catalogFile, index, key, titleChoice);
    switch (search.end) {
    case Search::End::Found:
        return std::move(search.hits);
    case Search::End::TooMany:
        dialogs.message(TooManyHitsMessage, TooManyHitsTitle, Buttons::Ok);
        break;
    case Search::End::Failed:
        dialogs.message(CatalogOpenFailure(catalogFile, search.reason), FindTitle, Buttons::Ok);
        break;
    }
    return std::nullopt;
}

std::string HitLine(const Hit& hit) {
    if (hit.member != 0) {
        // The archive, then the packed file's path in it.
        const auto cut = hit.path.find_last_of("/\\");
        return "[" + DisplayText(hit.title) + "]" +
               DisplayText(cut == std::string::npos ? hit.path : hit.path.substr(cut + 1)) + " > " +
               DisplayText(hit.memberPath);
    }
    return "[" + DisplayText(hit.title) + "]" + DisplayText(hit.name);
}

std::string HitCaption(std::size_t count) {
    return "Orbisk [FileCopy]     " + std::to_string(count) + "件が見つかりました。";
}

} // namespace orbisk
