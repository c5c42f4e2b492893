// index: brings the name index of the catalogue up to date.
#include "command.h"
#include "search/name_index.h"

namespace orbisk {

namespace {

int run(CommandRun& run) {
    NameIndex names(run.indexFolder(), run.catalog(), run.services().files);
    names.update([&run](std::int64_t done, std::int64_t total) {
        run.terminal().progress(run.said({"Orbisk[{}%] indexing...", "Orbisk[{}%]索引を作成中..."},
                                         {std::to_string(total > 0 ? done * 100 / total : 100)}));
    });
    run.terminal().endProgress();
    if (!names.check()) {
        run.terminal().say(run.said(
            {"The name index could not be brought up to date: the catalogue cannot be read, the "
             "cache folder cannot be written, or another program is at work on it.",
             "索引を作成できませんでした。"}));
        return Failed;
    }
    return Done;
}

} // namespace

extern const Command IndexCommand;
const Command IndexCommand{
    "index",
    "",
    {"brings the name index of the catalogue up to date (find uses it\n"
     "while nothing has changed the catalogue since; add keeps it so)",
     "カタログの名前の索引を最新にする (find は、カタログがその後変わって\n"
     "いなければ索引を使う。add は索引を最新に保つ)"},
    0,
    {},
    {},
    run,
};

} // namespace orbisk
