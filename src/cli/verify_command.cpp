// verify: reads every file of the disc mounted at a folder and compares it with its
// registration.
#include "command.h"
#include "content/catalog_copies.h"
#include "content/disc_to_verify.h"
#include "copies_listing.h"
#include "json.h"
#include "media/path_cuts.h"
#include "text/display_text.h"
#include "words.h"

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace orbisk {

namespace {

const char* verdictWord(Verdict verdict) {
    switch (verdict) {
    case Verdict::Same:
        return "same";
    case Verdict::Changed:
        return "changed";
    case Verdict::Unreadable:
        return "unreadable";
    case Verdict::Missing:
        return "missing";
    case Verdict::Unlisted:
        return "unlisted";
    case Verdict::Cancelled:
        break;
    }
    return "cancelled";
}

// What differs, as comma-separated words; for an unreadable file why, and how far it read.
std::string detail(Verdict verdict, std::uint8_t changes, const ContentRead& read) {
    if (verdict == Verdict::Unreadable) {
        std::string why = read.end == ContentRead::End::Shorter     ? "ended early"
                          : read.end == ContentRead::End::Damaged   ? "damaged"
                          : read.end == ContentRead::End::Encrypted ? "encrypted"
                                                                    : "read error";
        if (!read.reason.empty()) {
            // The detail field is worded as its other words are.
            why += ": " + Worded(read.reason, Language::English);
        }
        return why + " (" + std::to_string(read.bytesRead) + " of " +
               std::to_string(read.expectedBytes) + " bytes read)";
    }
    std::string words;
    for (const auto& [bit, word] : {std::pair{SizeChanged, "size"},
                                    {DateChanged, "date"},
                                    {ContentChanged, "content"},
                                    {MembersChanged, "packed"}}) {
        if ((changes & bit) != 0) {
            words += (words.empty() ? "" : ",") + std::string(word);
        }
    }
    return words;
}

std::string jsonEntry(const char* verdict, const std::string& path, const std::string& detailText,
                      const ContentRead& read) {
    std::string text = "{\"verdict\": \"" + std::string(verdict) +
                       "\", \"path\": " + JsonString(DisplayText(path)) +
                       ", \"detail\": " + JsonString(DisplayText(detailText));
    if (read.fingerprint) {
        text += ", \"content\": \"" + read.fingerprint->text() + "\"";
    }
    return text;
}

std::string jsonCounts(const VerificationCounts& counts) {
    return "{\"same\": " + std::to_string(counts.same) +
           ", \"changed\": " + std::to_string(counts.changed) +
           ", \"unreadable\": " + std::to_string(counts.unreadable) +
           ", \"missing\": " + std::to_string(counts.missing) +
           ", \"unlisted\": " + std::to_string(counts.unlisted) +
           ", \"cancelled\": " + std::to_string(counts.cancelled) + "}";
}

// The verification's progress on the terminal: bytes, files, speed and time left.
std::string progressLine(CommandRun& run, const ReadCounters& counters, std::uint64_t totalBytes,
                         std::size_t totalFiles, double seconds) {
    const double bytes = static_cast<double>(counters.bytes.load());
    const double speed = seconds > 0 ? bytes / seconds : 0;
    const double left = speed > 0 && totalBytes > bytes ? (totalBytes - bytes) / speed : 0;
    const auto mb = [](double value) { return std::to_string(std::llround(value / 1e6)); };
    return run.said({"Verifying: {} of {} MB, {} of {} files, {} MB/s, {} s left",
                     "検査中: {} / {} MB、{} / {} ファイル、{} MB/秒、残り {} 秒"},
                    {mb(bytes), mb(static_cast<double>(totalBytes)),
                     std::to_string(counters.files.load()), std::to_string(totalFiles), mb(speed),
                     std::to_string(std::llround(left))});
}

// Where else the catalogue holds a file: as text for a line ("TITLE: PATH (strong)", a
// packed file's path after its archive's and "/", joined by "; ") or as a JSON array.
struct Elsewhere {
    const CatalogCopies* copies = nullptr;

    std::vector<CatalogCopies::Place> of(std::int64_t row, std::int64_t member) const {
        if (copies == nullptr) {
            return {};
        }
        const auto ordinal = copies->ordinalOf(row, member);
        return ordinal ? copies->elsewhere(*ordinal) : std::vector<CatalogCopies::Place>{};
    }
    std::string line(std::int64_t row, std::int64_t member) const {
        std::string text;
        for (const auto& place : of(row, member)) {
            const CatalogFile& file = copies->files()[place.ordinal];
            text += (text.empty() ? "" : "; ") + file.title + ": " + file.path +
                    (file.member == 0 ? "" : "/" + file.memberPath) + " (" +
                    MatchWord(place.match) + ")";
        }
        return text;
    }
    std::string json(std::int64_t row, std::int64_t member) const {
        std::string text;
        for (const auto& place : of(row, member)) {
            const CatalogFile& file = copies->files()[place.ordinal];
            text += (text.empty() ? "" : ", ") + JsonCopy(file, place.match);
        }
        return ", \"elsewhere\": [" + text + "]";
    }
};

bool needsCopy(Verdict verdict) {
    return verdict == Verdict::Changed || verdict == Verdict::Unreadable ||
           verdict == Verdict::Missing;
}

int refused(CommandRun& run, const DiscToVerify& disc, const std::optional<std::string>& title) {
    switch (disc.found) {
    case DiscToVerify::Found::NotThisDisc: {
        MessageLines lines{{MessageId::NotThisDisc, {*title}}};
        if (!disc.registeredAs.empty()) {
            lines.push_back({MessageId::RegisteredAs, {disc.registeredAs}});
        }
        run.terminal().tell(lines);
        break;
    }
    case DiscToVerify::Found::NotRegistered:
        run.terminal().say(run.said({"The disc is no registered disc.",
                                     "このディスクは登録されたディスクではありません。"}));
        break;
    case DiscToVerify::Found::NoRegistration:
    case DiscToVerify::Found::Disc:
        run.terminal().say(run.said({"\"{}\" has no registration that can be verified.",
                                     "「{}」には検査できる登録がありません。"},
                                    {title.value_or("")}));
        break;
    }
    return Refused;
}

int run(CommandRun& run) {
    const std::string drive = FolderAsDrive(run.words()[0]);
    const std::optional<std::string> title = run.value(TitleOption);
    if (!run.services().files.isDriveReady(drive)) {
        run.terminal().tell({{MessageId::DiscNotReady, {title.value_or(run.words()[0])}}});
        return Refused;
    }
    DiscToVerify disc;
    try {
        Catalog catalog(run.catalog());
        disc = ChooseDiscToVerify(catalog, run.services().files, drive, title);
    } catch (const std::exception& error) {
        return run.catalogFailed(error);
    }
    if (disc.found != DiscToVerify::Found::Disc) {
        return refused(run, disc, title);
    }

    std::uint64_t totalBytes = 0;
    for (const RegisteredFile& file : disc.plan.registered) {
        totalBytes += file.facts.bytes;
    }
    ReadCounters counters;
    std::vector<FileVerdict> verdicts;
    VerificationCounts counts;
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
    const auto start = std::chrono::steady_clock::now();
    std::jthread worker([&](std::stop_token stop) {
        counts =
            VerifyDisc(run.services().files, disc.plan, counters, stop,
                       [&verdicts](const FileVerdict& verdict) { verdicts.push_back(verdict); });
        const std::lock_guard hold(lock);
        done = true;
        ended.notify_one();
    });
    {
        std::unique_lock hold(lock);
        while (!ended.wait_for(hold, std::chrono::milliseconds(500), [&done] { return done; })) {
            const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
            run.terminal().progress(progressLine(run, counters, totalBytes,
                                                 disc.plan.registered.size(), seconds.count()));
        }
    }
    worker.join();
    run.terminal().endProgress();

    try {
        Catalog catalog(run.catalog(), Catalog::Access::Write);
        KeepVerification(catalog, disc, verdicts, counts,
                         std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count());
    } catch (const std::exception& error) {
        run.terminal().tell(CatalogOpenFailure(run.catalog(), ReasonOf(error)));
        // The verdicts are still written: the reading is not lost with the keeping.
    }

    // For a file that no longer reads as registered, where else a good copy lives.
    std::optional<CatalogCopies> copies;
    if (counts.changed + counts.unreadable + counts.missing > 0) {
        try {
            Catalog catalog(run.catalog());
            copies = CatalogCopies::Find(catalog);
        } catch (const std::exception& error) {
            run.terminal().tell(CatalogOpenFailure(run.catalog(), ReasonOf(error)));
        }
    }
    const Elsewhere elsewhere{copies ? &*copies : nullptr};
    const auto rowOf = [&disc](const FileVerdict& file) {
        return file.registered ? disc.rows[*file.registered].row : 0;
    };
    const auto memberOf = [&disc](const FileVerdict& file, const MemberVerdict& member) {
        return file.registered && member.registered
                   ? disc.rows[*file.registered].members[*member.registered].id
                   : 0;
    };

    const bool asJson = run.has(JsonOption);
    Output output(run.services().out, run.has(NullOption) && !asJson);
    std::string json = "{\"title\": " + JsonString(DisplayText(disc.record.title)) +
                       ", \"counts\": " + jsonCounts(counts) + ", \"files\": [";
    const char* comma = "\n";
    for (const FileVerdict& file : verdicts) {
        const std::string path = disc.plan.root + file.path;
        const std::string text = detail(file.verdict, file.changes, file.read);
        if (asJson) {
            json += comma + std::string("  ") +
                    jsonEntry(verdictWord(file.verdict), path, text, file.read) +
                    (needsCopy(file.verdict) ? elsewhere.json(rowOf(file), 0) : "");
            std::string members;
            for (const MemberVerdict& member : file.members) {
                if (member.verdict != Verdict::Same) {
                    members += (members.empty() ? "" : ", ") +
                               jsonEntry(verdictWord(member.verdict), member.path,
                                         detail(member.verdict, member.changes, member.read),
                                         member.read) +
                               (needsCopy(member.verdict)
                                    ? elsewhere.json(rowOf(file), memberOf(file, member))
                                    : "") +
                               "}";
                }
            }
            json += ", \"members\": [" + members + "]}";
            comma = ",\n";
            continue;
        }
        output.record({verdictWord(file.verdict), path, "", text,
                       needsCopy(file.verdict) ? elsewhere.line(rowOf(file), 0) : ""});
        for (const MemberVerdict& member : file.members) {
            if (member.verdict != Verdict::Same) {
                output.record({verdictWord(member.verdict), path, member.path,
                               detail(member.verdict, member.changes, member.read),
                               needsCopy(member.verdict)
                                   ? elsewhere.line(rowOf(file), memberOf(file, member))
                                   : ""});
            }
        }
    }
    if (asJson) {
        output.text(json + (verdicts.empty() ? "]}\n" : "\n]}\n"));
    }
    run.terminal().say(
        run.said({"\"{}\": {} same, {} changed, {} unreadable, {} missing, {} not in the catalogue",
                  "「{}」: 同じ {}、変更 {}、読めない {}、ない {}、カタログにない {}"},
                 {disc.record.title, std::to_string(counts.same), std::to_string(counts.changed),
                  std::to_string(counts.unreadable), std::to_string(counts.missing),
                  std::to_string(counts.unlisted)}));
    const bool whole =
        counts.changed + counts.unreadable + counts.missing + counts.unlisted + counts.cancelled ==
        0;
    return run.written(output, whole ? Done : Differs);
}

} // namespace

extern const Command VerifyCommand;
const Command VerifyCommand{
    "verify",
    "FOLDER [--title TITLE] [--json | -0]",
    {"reads every file of the disc mounted at FOLDER and compares it with its\n"
     "registration (of TITLE, where given); one line per file: verdict (same,\n"
     "changed, unreadable, missing, unlisted), a tab, path, a tab, the path in\n"
     "an archive, a tab, what differs, a tab, for a file changed, unreadable or\n"
     "missing where else the catalogue holds it; the counts are kept in the catalogue",
     "FOLDER のディスクのファイルをすべて読み、登録 (TITLE があればその登録)\n"
     "と比べる。1ファイル1行: 判定 (same 同じ、changed 変更、unreadable 読めない、\n"
     "missing ない、unlisted カタログにない)、タブ、パス、タブ、書庫内のパス、\n"
     "タブ、違い、タブ、変更・読めない・ないファイルはほかにある場所。結果の件数は\n"
     "カタログに残る"},
    1,
    {TitleOption, JsonOption, NullOption},
    {},
    run,
};

} // namespace orbisk
