#include "services/verify_run.h"

#include "catalog/catalog_error.h"
#include "catalog/content_records.h"
#include "content/catalog_copies.h"
#include "content/disc_to_verify.h"
#include "words.h"

namespace orbisk {

namespace {

bool needsCopy(Verdict verdict) {
    return verdict == Verdict::Changed || verdict == Verdict::Unreadable ||
           verdict == Verdict::Missing;
}

// Other discs holding the file (a packed file by its archive's row and its own id).
std::string elsewhereText(const CatalogCopies* copies, std::int64_t row, std::int64_t member) {
    const auto ordinal = copies == nullptr ? std::nullopt : copies->ordinalOf(row, member);
    std::string text;
    for (const auto& place :
         ordinal ? copies->elsewhere(*ordinal) : std::vector<CatalogCopies::Place>{}) {
        const CatalogFile& file = copies->files()[place.ordinal];
        text += (text.empty() ? "" : "、") +
                PlaceText(file.title, file.path, file.memberPath, place.match);
    }
    return text;
}

std::int64_t secondsNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

std::string PlaceText(const std::string& title, const std::string& path,
                      const std::string& memberPath, Match match) {
    return "「" + title + "」 " + path + (memberPath.empty() ? "" : "/" + memberPath) +
           (match == Match::Strong ? " (内容が同じ)" : " (名前・サイズ・日付が同じ)");
}

std::map<std::string, std::string> LastVerifications(const std::filesystem::path& catalogFile,
                                                     const Clock& clock) {
    std::map<std::string, std::string> said;
    try {
        Catalog catalog(catalogFile);
        for (const DiscRecord& record : ReadDiscRecords(catalog, std::nullopt, false)) {
            const auto verification = ReadVerification(catalog, record);
            if (!verification) {
                said.erase(record.title);
                continue;
            }
            const VerificationCounts& c = verification->counts;
            std::string outcome;
            for (const auto& [count, word] : {std::pair{c.changed, "変更"},
                                              {c.unreadable, "読めない"},
                                              {c.missing, "ない"},
                                              {c.unlisted, "カタログにない"}}) {
                if (count > 0) {
                    outcome += (outcome.empty() ? "" : "、") + std::string(word) + " " +
                               std::to_string(count);
                }
            }
            said.insert_or_assign(record.title, clock.dateTimeText(verification->when) + " " +
                                                    (outcome.empty() ? "異常なし" : outcome));
        }
    } catch (const std::exception&) {
        return {}; // the list stays without them
    }
    return said;
}

std::string VerdictText(Verdict verdict) {
    switch (verdict) {
    case Verdict::Same:
        return "同じ";
    case Verdict::Changed:
        return "変更";
    case Verdict::Unreadable:
        return "読めない";
    case Verdict::Missing:
        return "ない";
    case Verdict::Unlisted:
        return "カタログにない";
    case Verdict::Cancelled:
        break;
    }
    return "中止";
}

std::string VerdictDetail(Verdict verdict, std::uint8_t changes, const ContentRead& read) {
    if (verdict == Verdict::Unreadable) {
        std::string why = read.end == ContentRead::End::Shorter   ? "途中で終わっています"
                          : read.end == ContentRead::End::Damaged ? "壊れています"
                          : read.end == ContentRead::End::Encrypted ? "暗号化されています"
                                                                    : "読み取りエラー";
        if (!read.reason.empty()) {
            why += ": " + Worded(read.reason, Language::Japanese);
        }
        return why + " (" + std::to_string(read.expectedBytes) + " バイト中 " +
               std::to_string(read.bytesRead) + " バイトまで読めました)";
    }
    std::string words;
    for (const auto& [bit, word] : {std::pair{SizeChanged, "サイズ"},
                                    {DateChanged, "日付"},
                                    {ContentChanged, "内容"},
                                    {MembersChanged, "書庫の中"}}) {
        if ((changes & bit) != 0) {
            words += (words.empty() ? "" : "、") + std::string(word);
        }
    }
    return words.empty() ? words : words + "が違います";
}

void VerifyRun::work(const FileSystem& files, const std::filesystem::path& catalogFile,
                     const std::string& title, const std::string& drive, std::stop_token stop) {
    if (!files.isDriveReady(drive)) {
        refusal = Notice{MessageId::ProgramName, {{MessageId::DiscNotReady, {title}}}};
        return;
    }
    DiscToVerify disc;
    try {
        Catalog catalog(catalogFile);
        disc = ChooseDiscToVerify(catalog, files, drive, title, stop);
    } catch (const std::exception& error) {
        refusal = Notice{MessageId::ProgramName, CatalogOpenFailure(catalogFile, ReasonOf(error))};
        return;
    }
    if (stop.stop_requested()) {
        stopped = true;
        return;
    }
    if (disc.found == DiscToVerify::Found::NotThisDisc) {
        MessageLines said{{MessageId::NotThisDisc, {title}}};
        if (!disc.registeredAs.empty()) {
            said.push_back({MessageId::RegisteredAs, {disc.registeredAs}});
        }
        refusal = Notice{MessageId::ProgramName, said};
        return;
    }
    if (disc.found != DiscToVerify::Found::Disc) {
        refusal = Notice{MessageId::ProgramName,
                         {Verbatim("「" + title + "」には検査できる登録がありません。")}};
        return;
    }
    std::uint64_t bytes = 0;
    for (const RegisteredFile& file : disc.plan.registered) {
        bytes += file.facts.bytes;
    }
    totalBytes = bytes;
    totalFiles = disc.plan.registered.size();
    std::vector<FileVerdict> verdicts;
    counts = VerifyDisc(files, disc.plan, counters, stop,
                        [&verdicts](const FileVerdict& verdict) { verdicts.push_back(verdict); });
    stopped = stop.stop_requested();
    // Only a whole run is the disc's last verification.
    if (!stopped) {
        try {
            Catalog catalog(catalogFile, Catalog::Access::Write);
            KeepVerification(catalog, disc, verdicts, counts, secondsNow());
        } catch (const std::exception& error) {
            notKept =
                Notice{MessageId::ProgramName, CatalogOpenFailure(catalogFile, ReasonOf(error))};
        }
    }
    std::optional<CatalogCopies> copies;
    if (counts.changed + counts.unreadable + counts.missing > 0) {
        try {
            Catalog catalog(catalogFile);
            copies = CatalogCopies::Find(catalog, stop);
        } catch (const std::exception&) {
            // The verdicts stand without the other places.
        }
    }
    const CatalogCopies* places = copies ? &*copies : nullptr;
    for (const FileVerdict& file : verdicts) {
        if (file.verdict == Verdict::Cancelled) {
            continue;
        }
        const std::string path = disc.plan.root + file.path;
        const std::int64_t row = file.registered ? disc.rows[*file.registered].row : 0;
        lines.push_back({file.verdict, path, VerdictDetail(file.verdict, file.changes, file.read),
                         needsCopy(file.verdict) ? elsewhereText(places, row, 0) : ""});
        for (const MemberVerdict& member : file.members) {
            if (member.verdict == Verdict::Same || member.verdict == Verdict::Cancelled) {
                continue;
            }
            const std::int64_t id = file.registered && member.registered
                                        ? disc.rows[*file.registered].members[*member.registered].id
                                        : 0;
            lines.push_back(
                {member.verdict, path + "/" + member.path,
                 VerdictDetail(member.verdict, member.changes, member.read),
                 needsCopy(member.verdict) && id != 0 ? elsewhereText(places, row, id) : ""});
        }
    }
}

} // namespace orbisk
