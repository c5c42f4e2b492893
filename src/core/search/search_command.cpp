#include "search/search_command.h"

#include "catalog/catalog.h"
#include "catalog/title_list.h"
#include "search/name_index.h"
#include "text/display_text.h"

#include <optional>

namespace orbisk {

namespace {

struct TooManyHits {};

} // namespace

std::string HitLine(const Hit& hit) {
    return "[" + DisplayText(hit.title) + "]" + DisplayText(hit.name);
}

void SearchCommand::run() {
    const std::string titleChoice = input_.titleChoice();
    const std::optional<std::string> title =
        titleChoice == AllTitles ? std::nullopt : std::optional<std::string>(titleChoice);
    // The hits go into a table of their own and replace the program's only when the
    // search is complete, so a failed search leaves the last one whole.
    HitTable found;
    const auto collect = [&found](CatalogHit&& hit) {
        if (found.size() >= MostHits) {
            throw TooManyHits{};
        }
        found.push_back({std::move(hit.path), std::move(hit.name), std::move(hit.title)});
        return true;
    };
    const std::string key = input_.key();
    try {
        const auto candidates = index_ != nullptr ? index_->candidates(key) : std::nullopt;
        Catalog catalog(catalogFile_);
        if (candidates) {
            catalog.findFilesAmong(*candidates, key, title, collect);
        } else {
            catalog.findFiles(key, title, collect);
        }
    } catch (const TooManyHits&) {
        platform_.dialogs.message(TooManyHitsMessage, TooManyHitsTitle, Buttons::Ok);
        return;
    } catch (const std::exception& error) {
        platform_.dialogs.message(CatalogOpenFailure(catalogFile_, error.what()), "ファイルの検索",
                                  Buttons::Ok);
        return;
    }
    hits_ = std::move(found);

    std::vector<std::string> lines;
    lines.reserve(hits_.size());
    for (const Hit& hit : hits_) {
        lines.push_back(HitLine(hit));
    }
    HitListView& list = copyWindow_.hitList();
    list.clearList();
    list.appendLines(lines);
    list.setCaption("Orbisk [FileCopy]     " + std::to_string(hits_.size()) +
                    "件が見つかりました。");
    list.showModal();
}

} // namespace orbisk
