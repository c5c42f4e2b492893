#include "search/find_files.h"

#include "catalog/catalog_error.h"
#include "catalog/title_list.h"
#include "search/catalog_search.h"
#include "search/name_index.h"
#include "text/display_text.h"

#include <algorithm>

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
        // The files of the discs first, then the files packed in their archives, each run in
        // the order of its archive's row.
        Catalog catalog(catalogFile);
        std::size_t files = 0;
        if (candidates) {
            ReadCatalogRows(catalog, candidates->files, key, title, collect);
            files = search.hits.size();
            if (search.end != Search::End::TooMany) {
                ReadMemberRows(catalog, candidates->members, key, title, collect);
            }
        } else {
            ScanCatalog(catalog, key, title, collect);
            files = search.hits.size();
            if (search.end != Search::End::TooMany) {
                ScanMembers(catalog, key, title, collect);
            }
        }
        // Each packed file just after its archive's place, so that a disc's hits stay
        // together and COPY asks for the disc once.
        const auto byRow = [](const Hit& a, const Hit& b) { return a.row < b.row; };
        const auto filesEnd = search.hits.begin() + static_cast<std::ptrdiff_t>(files);
        std::stable_sort(filesEnd, search.hits.end(), byRow);
        std::inplace_merge(search.hits.begin(), filesEnd, search.hits.end(), byRow);
    } catch (const std::exception& error) {
        return {Search::End::Failed, {}, ReasonOf(error)};
    }
    if (search.end == Search::End::TooMany) {
        search.hits.clear();
    }
    return search;
}

std::optional<Notice> SearchNotice(const Search& search, const std::filesystem::path& catalogFile) {
    switch (search.end) {
    case Search::End::Found:
        break;
    case Search::End::TooMany:
        return Notice{MessageId::TooManyHitsTitle, {{MessageId::TooManyHits, {}}}};
    case Search::End::Failed:
        return Notice{MessageId::FindTitle, CatalogOpenFailure(catalogFile, search.reason)};
    }
    return std::nullopt;
}

std::optional<HitTable> FindFiles(Dialogs& dialogs, const std::filesystem::path& catalogFile,
                                  const NameIndex* index, const std::string& key,
                                  const std::string& titleChoice) {
    Search search = SearchCatalog(catalogFile, index, key, titleChoice);
    if (const auto notice = SearchNotice(search, catalogFile)) {
        dialogs.message(*notice, Buttons::Ok);
        return std::nullopt;
    }
    return std::move(search.hits);
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

std::string HitPathText(const Hit& hit) {
    return hit.member != 0 ? DisplayText(hit.path) + " > " + DisplayText(hit.memberPath)
                           : DisplayText(hit.path);
}

} // namespace orbisk
