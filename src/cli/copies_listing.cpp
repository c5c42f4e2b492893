#include "copies_listing.h"

#include "json.h"
#include "text/display_text.h"

namespace orbisk {

std::optional<CopiesListing> ReadCopiesListing(CommandRun& run) {
    std::optional<CatalogCopies> copies;
    try {
        Catalog catalog(run.catalog());
        copies = CatalogCopies::Find(catalog);
    } catch (const std::exception& error) {
        run.catalogFailed(error);
        return std::nullopt;
    }
    const bool asJson = run.has(JsonOption);
    return CopiesListing{std::move(*copies), run.value(TitleOption), asJson,
                         Output(run.services().out, run.has(NullOption) && !asJson)};
}

std::string JsonCopy(const CatalogFile& file, Match match) {
    return "{\"title\": " + JsonString(DisplayText(file.title)) +
           ", \"path\": " + JsonString(DisplayText(file.path)) + ", \"member\": " +
           (file.member == 0 ? std::string("null") : JsonString(DisplayText(file.memberPath))) +
           ", \"match\": \"" + MatchWord(match) + "\"}";
}

const char* MatchWord(Match match) {
    return match == Match::Strong ? "strong" : "weak";
}

} // namespace orbisk
