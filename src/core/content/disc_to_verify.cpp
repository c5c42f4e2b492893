#include "content/disc_to_verify.h"

#include "media/disc_check.h"

#include <algorithm>
#include <unordered_set>

namespace orbisk {

namespace {

// What every path a registration stored begins with: its drive's folder.
std::string prefixOf(const FileSystem& files, const std::string& drive) {
    const std::string pattern = files.walkPattern(drive);
    return pattern.substr(0, pattern.size() - 3); // the pattern ends in "*.*"
}

// How many of the record's files the walked disc holds under the same path below its
// folder: the disc may be mounted elsewhere than where it was registered.
std::size_t pathsHeld(Catalog& catalog, const FileSystem& files, const DiscInDrive& disc,
                      const DiscRecord& record, std::size_t& registered) {
    std::unordered_set<std::string> seen;
    for (const auto& [relative, facts] : disc.files) {
        seen.insert(relative);
    }
    const std::string prefix = prefixOf(files, record.drive);
    const auto rows = ReadRegisteredRows(catalog, record, "");
    registered = rows.size();
    return static_cast<std::size_t>(std::count_if(rows.begin(), rows.end(), [&](const auto& row) {
        return row.path.starts_with(prefix) && seen.contains(row.path.substr(prefix.size()));
    }));
}

void plan(Catalog& catalog, const FileSystem& files, const DiscInDrive& disc, std::int64_t shift,
          DiscToVerify& chosen) {
    const std::string prefix = prefixOf(files, chosen.record.drive);
    chosen.plan.root = disc.prefix;
    chosen.plan.dateShift = shift;
    for (const auto& [relative, facts] : disc.files) {
        chosen.plan.walked.push_back(relative);
    }
    // A row whose path or facts another program changed is no longer the registration's
    // file: left out, the file on the disc is told as one the catalogue lacks.
    for (RegisteredRow& row : ReadRegisteredRows(catalog, chosen.record, chosen.record.keptFacts)) {
        if (!row.facts || !row.path.starts_with(prefix)) {
            continue;
        }
        RegisteredFile file{row.path.substr(prefix.size()), *row.facts, row.content, {}};
        for (const auto& member : row.members) {
            file.members.push_back({member.place, member.path, member.bytes, member.content});
        }
        chosen.plan.registered.push_back(std::move(file));
        chosen.rows.push_back(std::move(row));
    }
    chosen.found = DiscToVerify::Found::Disc;
}

} // namespace

DiscToVerify ChooseDiscToVerify(Catalog& catalog, const FileSystem& files, const std::string& drive,
                                const std::optional<std::string>& title, std::stop_token stop) {
    DiscToVerify chosen;
    const std::vector<DiscRecord> all = ReadDiscRecords(catalog, std::nullopt, false);
    std::vector<DiscRecord> asked;
    for (DiscRecord record : all) {
        if (!title || record.title == *title) {
            record.keptFacts = ReadKeptFacts(catalog, record.registration);
            asked.push_back(std::move(record));
        }
    }
    if (asked.empty()) {
        chosen.found =
            title ? DiscToVerify::Found::NoRegistration : DiscToVerify::Found::NotRegistered;
        return chosen;
    }
    DiscInDrive disc = LookAtDisc(files, drive);
    WalkDisc(files, disc, PathSlots, stop);
    const DiscEvidence evidence{[](DiscInDrive&) {},
                                [](const DiscRecord& record) { return record.keptFacts; }};
    if (const auto match = WholeMatch(disc, asked, evidence)) {
        chosen.record = *match->record;
        plan(catalog, files, disc, match->shift, chosen);
        return chosen;
    }
    if (title) {
        std::vector<DiscRecord> others;
        for (DiscRecord record : all) {
            if (record.title != *title) {
                record.keptFacts = ReadKeptFacts(catalog, record.registration);
                others.push_back(std::move(record));
            }
        }
        if (const auto other = WholeMatch(disc, others, evidence)) {
            chosen.found = DiscToVerify::Found::NotThisDisc;
            chosen.registeredAs = other->record->title;
            return chosen;
        }
    }
    // The registration holding the largest share of its files on the disc, more than half.
    const DiscRecord* best = nullptr;
    double bestShare = 0.5;
    for (const DiscRecord& record : asked) {
        if (!SameVolume(disc, record).value_or(true)) {
            continue; // its volume says it is another disc
        }
        std::size_t registered = 0;
        const std::size_t held = pathsHeld(catalog, files, disc, record, registered);
        const double share = registered == 0 ? 0 : static_cast<double>(held) / registered;
        if (share > bestShare || (best != nullptr && share == bestShare)) {
            best = &record;
            bestShare = share;
        }
    }
    if (best == nullptr) {
        chosen.found =
            title ? DiscToVerify::Found::NotThisDisc : DiscToVerify::Found::NotRegistered;
        return chosen;
    }
    chosen.record = *best;
    plan(catalog, files, disc, 0, chosen);
    return chosen;
}

void KeepVerification(Catalog& catalog, const DiscToVerify& disc,
                      const std::vector<FileVerdict>& verdicts, const VerificationCounts& counts,
                      std::int64_t when) {
    Catalog::Transaction keep(catalog);
    StoreVerification(catalog, disc.record, {when, counts});
    for (const FileVerdict& verdict : verdicts) {
        if (!verdict.registered || verdict.verdict != Verdict::Same) {
            continue;
        }
        const RegisteredRow& row = disc.rows[*verdict.registered];
        if (!row.content && verdict.read.fingerprint) {
            StoreContent(catalog, {row.row, 0, *verdict.read.fingerprint});
        }
        for (const MemberVerdict& member : verdict.members) {
            if (member.registered && member.verdict == Verdict::Same &&
                !row.members[*member.registered].content && member.read.fingerprint) {
                StoreContent(catalog, {row.row, row.members[*member.registered].id,
                                       *member.read.fingerprint});
            }
        }
    }
    keep.commit();
    catalog.settle();
}

} // namespace orbisk
