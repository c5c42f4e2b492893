// dups: the files the catalogue holds on more than one disc, as groups of the same file.
#include "copies_listing.h"

namespace orbisk {

namespace {

int run(CommandRun& run) {
    std::optional<CopiesListing> listing = ReadCopiesListing(run);
    if (!listing) {
        return Failed;
    }
    const CatalogCopies& copies = listing->copies;
    const std::optional<std::string>& title = listing->title;
    Output& output = listing->output;
    std::string json = "[";
    const char* comma = "\n";
    std::size_t shown = 0;
    const CopyGroups& groups = copies.groups();
    for (std::size_t group = 0; group < groups.size(); ++group) {
        const auto members = groups.members(group);
        if (title && std::none_of(members.begin(), members.end(), [&](const CopyMember& m) {
                return copies.files()[m.ordinal].title == *title;
            })) {
            continue;
        }
        ++shown;
        const auto content = groups.content(group);
        json += comma + std::string("  {\"content\": ") +
                (content ? "\"" + content->text() + "\"" : std::string("null")) + ", \"files\": [";
        comma = ",\n";
        const char* between = "";
        for (const CopyMember& member : members) {
            const CatalogFile& file = copies.files()[member.ordinal];
            if (listing->asJson) {
                json += between + JsonCopy(file, member.match);
                between = ", ";
            } else {
                output.record({std::to_string(shown), MatchWord(member.match), file.title,
                               file.path, file.memberPath});
            }
        }
        json += "]}";
    }
    if (listing->asJson) {
        output.text(json + (shown == 0 ? "]\n" : "\n]\n"));
    }
    return run.written(output, Done);
}

} // namespace

extern const Command DupsCommand;
const Command DupsCommand{
    "dups",
    "[--title TITLE] [--json | -0]",
    {"the files held on more than one disc (of them, TITLE's), in groups of the\n"
     "same file; one line per file: group number, a tab, strong (the same content\n"
     "fingerprint) or weak (the same name, size and date only), a tab, title, a\n"
     "tab, path, a tab, the path in an archive",
     "複数のディスクにあるファイル (TITLE があればそのディスクのもの) を同じファイル\n"
     "の組で。1ファイル1行: 組の番号、タブ、strong (内容の指紋が同じ) または weak\n"
     "(名前・サイズ・日付だけが同じ)、タブ、タイトル、タブ、パス、タブ、書庫内のパス"},
    0,
    {TitleOption, JsonOption, NullOption},
    {},
    run,
};

} // namespace orbisk
