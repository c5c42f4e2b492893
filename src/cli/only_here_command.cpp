// only-here: the files of a disc that no other disc holds.
#include "copies_listing.h"
#include "json.h"
#include "text/display_text.h"

namespace orbisk {

namespace {

int run(CommandRun& run) {
    std::optional<CopiesListing> listing = ReadCopiesListing(run);
    if (!listing) {
        return Failed;
    }
    const CatalogCopies& copies = listing->copies;
    const std::string& title = *listing->title;
    const bool asJson = listing->asJson;
    Output& output = listing->output;
    std::string json = "[";
    const char* comma = "\n";
    bool known = false;
    bool listed = false;
    for (std::uint32_t ordinal = 0; ordinal < copies.files().size(); ++ordinal) {
        const CatalogFile& file = copies.files()[ordinal];
        if (file.title != title) {
            continue;
        }
        known = true;
        if (copies.groups().elsewhere(ordinal) != Match::None) {
            continue;
        }
        if (asJson) {
            json += comma + std::string("  {\"path\": ") + JsonString(DisplayText(file.path)) +
                    ", \"member\": " +
                    (file.member == 0 ? std::string("null")
                                      : JsonString(DisplayText(file.memberPath))) +
                    "}";
            comma = ",\n";
            listed = true;
        } else if (file.member != 0 || run.has(NullOption)) {
            output.record({file.path, file.memberPath});
        } else {
            output.record({file.path});
        }
    }
    if (!known) {
        run.terminal().say(
            run.said({"\"{}\" has no files whose size and date the catalogue "
                      "knows.",
                      "「{}」には、サイズと日付がカタログにあるファイルがありません。"},
                     {title}));
        return Refused;
    }
    if (asJson) {
        output.text(json + (listed ? "\n]\n" : "]\n"));
    }
    return run.written(output, Done);
}

} // namespace

extern const Command OnlyHereCommand;
const Command OnlyHereCommand{
    "only-here",
    "--title TITLE [--json | -0]",
    {"the files of TITLE's disc that no other disc holds, by content or by name,\n"
     "size and date: what would be lost with it; one line per file: path, and for\n"
     "a file packed in an archive a tab and its path in the archive",
     "TITLE のディスクにだけあるファイル (内容でも、名前・サイズ・日付でも、ほかの\n"
     "ディスクにないもの): そのディスクを失えば失われるもの。1ファイル1行: パス。\n"
     "書庫の中のファイルは、さらにタブと書庫内のパス"},
    0,
    {TitleOption, JsonOption, NullOption},
    {TitleOption},
    run,
};

} // namespace orbisk
