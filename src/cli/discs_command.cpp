// discs: every disc with its figures.
#include "command.h"
#include "edit/disc_store.h"

namespace orbisk {

namespace {

int run(CommandRun& run) {
    Output output(run.services().out, run.has(NullOption));
    const NumberFormat& numbers = run.services().numbers;
    try {
        for (const DiscFigures& disc : ReadDiscFigures(run.catalog())) {
            std::string dates;
            for (const std::string& date : disc.dates) {
                dates += (dates.empty() ? "" : ", ") + date;
            }
            output.record({disc.title, numbers.grouped(disc.registrations),
                           numbers.grouped(disc.files), numbers.grouped(disc.kilobytes), dates});
        }
    } catch (const std::exception& error) {
        return run.catalogFailed(error);
    }
    return run.written(output, Done);
}

} // namespace

extern const Command DiscsCommand;
const Command DiscsCommand{
    "discs",
    "[-0]",
    {"every disc: title, registrations, files, kilobytes, dates (tabs)",
     "すべてのディスク: タイトル、登録数、ファイル数、KB、登録日 (タブ区切り)"},
    0,
    {NullOption},
    {},
    run,
};

} // namespace orbisk
