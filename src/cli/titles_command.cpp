// titles: every registered title.
#include "catalog/title_list.h"
#include "command.h"

namespace orbisk {

namespace {

int run(CommandRun& run) {
    Output output(run.services().out, run.has(NullOption));
    try {
        for (const std::string& title : ReadTitles(run.catalog())) {
            output.record({title});
        }
    } catch (const std::exception& error) {
        return run.catalogFailed(error);
    }
    return run.written(output, Done);
}

} // namespace

extern const Command TitlesCommand;
const Command TitlesCommand{
    "titles",
    "[-0]",
    {"every registered title, one per line", "登録されているすべてのタイトル、1行に1つ"},
    0,
    {NullOption},
    {},
    run,
};

} // namespace orbisk
