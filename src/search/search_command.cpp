#include "search/search_command.h"

#include "catalog/catalog.h"
#include "catalog/title_list.h"
#include "text/display_text.h"

#include <optional>

namespace orbisk {

namespace {

struct TooManyHits {};

} // namespace

std::string HitLine(const Hit& hit) {
    return "[" + DisplayText(hit.HitTitle) + "]" + DisplayText(hit.HitName);
}

void SearchCommand::run() {
    const std::string titleChoice = input_.titleChoice();
    const std::optional<std::string> title =
        titleChoice == AllTitles ? std::nullopt : std::optional<std::string>(titleChoice);
    // The hits go into a table of their own and replace the program's only when the
    // search is complete, so a failed search leaves the last one whole.
    std::vector<Hit> rows(1);
    try {
        Catalog catalog(catalogFile_);
        catalog.findFiles(input_.key(), title, [&rows](CatalogHit&& hit) {
            if (rows.size() >= static_cast<std::size_t>(HitSlots)) {
                throw TooManyHits{};
            }
            rows.push_back({std::move(hit.path), std::move(hit.name), std::move(hit.title)});
            return true;
        });
    } catch (const TooManyHits&) {
        dialogs_.message(TooManyHitsMessage, TooManyHitsTitle, Buttons::Ok);
        return;
    } catch (const std::exception& error) {
        dialogs_.message("カタログを開けませんでした。\n" + catalogFile_.string() + "\n" +
                             error.what(),
                         "ファイルの検索", Buttons::Ok);
        return;
    }
    hits_.rows = std::move(rows);
    hits_.HitCount = static_cast<std::int32_t>(hits_.rows.size() - 1);

    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(hits_.HitCount));
    for (std::size_t i = 1; i < hits_.rows.size(); ++i) {
        lines.push_back(HitLine(hits_.rows[i]));
    }
    HitListView& list = window_.hitList();
    list.clearList();
    list.appendLines(lines);
    list.setCaption("Orbisk [FileCopy]     " + std::to_string(hits_.HitCount) +
                    "件が見つかりました。");
    list.showModal();
}

} // namespace orbisk
