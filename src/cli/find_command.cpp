// find: the catalogued files whose name matches a key, as lines, NUL-ended fields or JSON.
#include "catalog/title_list.h"
#include "command.h"
#include "json.h"
#include "media/registered_discs.h"
#include "search/find_files.h"
#include "search/name_index.h"
#include "text/display_text.h"

namespace orbisk {

namespace {

// The hits as a JSON array of objects, texts as shown. A packed file: path is its
// archive's, member its path inside, and the sizes its own. Sizes are numbers: the
// kilobytes as the catalogue keeps them, and the bytes where the registration kept them.
std::string json(const HitTable& hits, const std::filesystem::path& catalog) {
    std::string text = "[";
    const char* comma = "\n";
    RegisteredDiscs registered(catalog);
    const auto number = [](const auto& value) {
        return value ? std::to_string(*value) : std::string("null");
    };
    for (const Hit& hit : hits) {
        const HitSize size = SizeOfHit(hit, registered);
        const std::string member =
            hit.member == 0 ? "" : ", \"member\": " + JsonString(DisplayText(hit.memberPath));
        text += comma;
        text += "  {\"path\": " + JsonString(DisplayText(hit.path)) +
                ", \"name\": " + JsonString(DisplayText(hit.name)) +
                ", \"title\": " + JsonString(DisplayText(hit.title)) +
                ", \"size\": " + number(size.kilobytes) + ", \"bytes\": " + number(size.bytes) +
                member + "}";
        comma = ",\n";
    }
    return text + (hits.empty() ? "]\n" : "\n]\n");
}

int run(CommandRun& run) {
    NameIndex names(run.indexFolder(), run.catalog(), run.services().files);
    // The index answers when it is in step with the catalogue as it is; else the search
    // scans, as the windows' search does while their index is brought up to date.
    names.check();
    const Search search = SearchCatalog(run.catalog(), &names, run.words()[0],
                                        run.value(TitleOption).value_or(AllTitles));
    // Told as the windows tell it.
    if (const auto notice = SearchNotice(search, run.catalog())) {
        run.terminal().tell(notice->lines);
        return search.end == Search::End::TooMany ? TooMany : Failed;
    }
    const bool asJson = run.has(JsonOption);
    Output output(run.services().out, run.has(NullOption) && !asJson);
    if (asJson) {
        output.text(json(search.hits, run.catalog()));
        return run.written(output, Done);
    }
    // The path's own bytes (escaped, where a line would not hold them), so that a script
    // can open the file; a packed file adds its path inside the archive. NUL-ended fields
    // give every hit all three.
    for (const Hit& hit : search.hits) {
        if (hit.member != 0 || run.has(NullOption)) {
            output.record({hit.path, hit.title, hit.memberPath});
        } else {
            output.record({hit.path, hit.title});
        }
    }
    return run.written(output, Done);
}

} // namespace

extern const Command FindFilesCommand;
const Command FindFilesCommand{
    "find",
    "KEY [--title TITLE] [--json | -0]",
    {"the catalogued files whose name matches KEY (\"*\" any run, \"?\" one\n"
     "character, \"#\" one digit, \"[a-z]\" and \"[!a-z]\" classes), on every\n"
     "disc or on TITLE's; one line per hit: path, a tab, title, and for a\n"
     "file packed in an archive a tab and its path in the archive",
     "名前が KEY に合うカタログのファイル (\"*\" 任意の文字列、\"?\" 1文字、\n"
     "\"#\" 数字1文字、\"[a-z]\" と \"[!a-z]\" 文字の種類)。すべてのディスク\n"
     "または TITLE のディスクから。1件1行: パス、タブ、タイトル。書庫の中の\n"
     "ファイルは、さらにタブと書庫内のパス"},
    1,
    {TitleOption, JsonOption, NullOption},
    {},
    run,
};

} // namespace orbisk
