// discs: every disc with its figures.
#include "catalog/content_records.h"
#include "command.h"
#include "edit/disc_store.h"

#include <map>

namespace orbisk {

namespace {

int run(CommandRun& run) {
    Output output(run.services().out, run.has(NullOption));
    const NumberFormat& numbers = run.services().numbers;
    try {
        // Each title's last verification: that of its newest registration.
        std::map<std::string, VerificationRecord> verified;
        {
            Catalog catalog(run.catalog());
            for (const DiscRecord& record : ReadDiscRecords(catalog, std::nullopt, false)) {
                if (const auto verification = ReadVerification(catalog, record)) {
                    verified.insert_or_assign(record.title, *verification);
                } else {
                    verified.erase(record.title);
                }
            }
        }
        for (const DiscFigures& disc : ReadDiscFigures(run.catalog())) {
            std::string dates;
            for (const std::string& date : disc.dates) {
                dates += (dates.empty() ? "" : ", ") + date;
            }
            const auto verification = verified.find(disc.title);
            if (verification == verified.end()) {
                output.record({disc.title, numbers.grouped(disc.registrations),
                               numbers.grouped(disc.files), numbers.grouped(disc.kilobytes), dates,
                               "", "", "", "", "", ""});
                continue;
            }
            const VerificationCounts& counts = verification->second.counts;
            output.record({disc.title, numbers.grouped(disc.registrations),
                           numbers.grouped(disc.files), numbers.grouped(disc.kilobytes), dates,
                           run.services().clock.dateTimeText(verification->second.when),
                           numbers.grouped(static_cast<std::int64_t>(counts.same)),
                           numbers.grouped(static_cast<std::int64_t>(counts.changed)),
                           numbers.grouped(static_cast<std::int64_t>(counts.unreadable)),
                           numbers.grouped(static_cast<std::int64_t>(counts.missing)),
                           numbers.grouped(static_cast<std::int64_t>(counts.unlisted))});
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
    {"every disc: title, registrations, files, kilobytes, dates, and its last\n"
     "verification: when, files same, changed, unreadable, missing, not in the\n"
     "catalogue (empty when never verified); tabs",
     "すべてのディスク: タイトル、登録数、ファイル数、KB、登録日、最後の検査の日時、\n"
     "同じ・変更・読めない・ない・カタログにないファイルの数 (検査していなければ空);\n"
     "タブ区切り"},
    0,
    {NullOption},
    {},
    run,
};

} // namespace orbisk
