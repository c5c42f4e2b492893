// verify: reads every file of the disc mounted at a folder and compares it with its
// registration.
#include "command.h"
#include "content/disc_to_verify.h"
#include "json.h"
#include "media/path_cuts.h"
#include "text/display_text.h"

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace orbisk {

namespace {

constexpr OptionSpec JsonOption{"--json", "", ""};

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
            why += ": " + read.reason;
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
                    jsonEntry(verdictWord(file.verdict), path, text, file.read);
            std::string members;
            for (const MemberVerdict& member : file.members) {
                if (member.verdict != Verdict::Same) {
                    members += (members.empty() ? "" : ", ") +
                               jsonEntry(verdictWord(member.verdict), member.path,
                                         detail(member.verdict, member.changes, member.read),
                                         member.read) +
                               "}";
                }
            }
            json += ", \"members\": [" + members + "]}";
            comma = ",\n";
            continue;
        }
        output.record({verdictWord(file.verdict), path, "", text});
        for (const MemberVerdict& member : file.members) {
            if (member.verdict != Verdict::Same) {
                output.record({verdictWord(member.verdict), path, member.path,
                               detail(member.verdict, member.changes, member.read)});
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
     "an archive, a tab, what differs; the counts are kept in the catalogue",
     "FOLDER のディスクのファイルをすべて読み、登録 (TITLE があればその登録)\n"
     "と比べる。1ファイル1行: 判定 (same 同じ、changed 変更、unreadable 読めない、\n"
     "missing ない、unlisted カタログにない)、タブ、パス、タブ、書庫内のパス、\n"
     "タブ、違い。結果の件数はカタログに残る"},
    1,
    {TitleOption, JsonOption, NullOption},
    {},
    run,
};

} // namespace orbisk
