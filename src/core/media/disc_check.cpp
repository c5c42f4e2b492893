#include "media/disc_check.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>
#include <unordered_set>

namespace orbisk {

namespace {

// A walk made to tell a disc says nothing to the user: a disc too large for it is simply
// not walked whole.
class Quiet : public Dialogs {
public:
    Answer message(const Notice&, Buttons) override { return Answer::Ok; }
    std::string askSaveFileName(const Message&, const std::string&) override { return ""; }
    std::string askOpenFileName(MessageId, const Message&, const std::string&) override {
        return "";
    }
    std::optional<std::string> askText(const Notice&, const std::string&) override {
        return std::nullopt;
    }
};

// The files a walk saw, by a check of their whole path.
std::unordered_map<std::uint32_t, FileFacts> seenByPath(const DiscInDrive& disc) {
    std::unordered_map<std::uint32_t, FileFacts> seen;
    seen.reserve(disc.files.size());
    for (const auto& [relative, facts] : disc.files) {
        seen.emplace(PathCheck(disc.prefix + relative), facts);
    }
    return seen;
}

} // namespace

DiscInDrive LookAtDisc(const FileSystem& files, const std::string& drive) {
    DiscInDrive disc;
    disc.drive = drive;
    const std::string pattern = files.walkPattern(drive);
    disc.prefix = pattern.substr(0, pattern.size() - 3); // the pattern ends in "*.*"
    disc.volume = files.volumeOf(drive);
    disc.root = RootFingerprint(files, drive);
    return disc;
}

void WalkDisc(const FileSystem& files, DiscInDrive& disc, std::int32_t mostFiles,
              std::stop_token stop) {
    PathStore paths(mostFiles);
    SkippedFolders skipped;
    Quiet quiet;
    const bool whole =
        CollectFiles({files, quiet, stop}, files.walkPattern(disc.drive), true, paths, skipped);
    TakeWalk(files, paths.paths(), whole && !paths.full(), disc);
}

void TakeWalk(const FileSystem& files, const std::vector<std::string>& paths, bool whole,
              DiscInDrive& disc) {
    const std::size_t below = disc.prefix.size();
    disc.files.clear();
    disc.files.reserve(paths.size());
    disc.fingerprint = Fingerprint();
    for (const std::string& path : paths) {
        FileFacts facts;
        try {
            facts = files.fileFacts(path);
        } catch (const FileError&) {
            whole = false; // a file that cannot be asked is not the file registered
        }
        disc.files.emplace_back(path.substr(std::min(below, path.size())), facts);
        disc.fingerprint.add(disc.files.back().first, facts);
    }
    disc.walked = true;
    disc.whole = whole;
}

std::optional<bool> SameVolume(const DiscInDrive& disc, const DiscRecord& record) {
    if (!disc.volume || disc.volume->uuid.empty() || !record.volume ||
        record.volume->uuid.empty()) {
        return std::nullopt;
    }
    if (disc.volume->uuid != record.volume->uuid || disc.volume->label != record.volume->label) {
        return false;
    }
    // The UUID of an ISO 9660 or UDF volume is only the time it was made: two images a
    // script makes within one hundredth of a second share it, label and all. Such a volume
    // never changes once written, so its first folder tells the two apart.
    const std::string& type = record.volume->type;
    if ((type == "iso9660" || type == "udf") && !disc.root.empty() && !record.root.empty()) {
        return disc.root == record.root;
    }
    return true;
}

bool MayBe(const DiscInDrive& disc, const DiscRecord& record) {
    if (const auto same = SameVolume(disc, record)) {
        return *same;
    }
    // A first folder that could not be read when either look was taken narrows nothing.
    return disc.root.empty() || record.root.empty() || disc.root == record.root;
}

std::optional<std::int64_t> SameByWalk(const DiscInDrive& disc, const DiscRecord& record,
                                       std::string_view keptFacts) {
    if (!disc.walked || !disc.whole || disc.fingerprint.files() != record.files ||
        disc.fingerprint.bytes() != record.bytes) {
        return std::nullopt;
    }
    if (disc.fingerprint.text() == record.fingerprint) {
        return 0;
    }
    // The dates may have moved, all alike (the disc read in another time zone): compare
    // file by file.
    const auto kept = UnpackKeptFacts(keptFacts);
    if (!kept || kept->size() != disc.files.size()) {
        return std::nullopt;
    }
    const auto seen = seenByPath(disc);
    std::optional<std::int64_t> shift;
    for (const KeptFacts& was : *kept) {
        const auto now = seen.find(was.pathCheck);
        if (now == seen.end() || now->second.bytes != was.facts.bytes) {
            return std::nullopt;
        }
        const std::int64_t moved = now->second.modified - was.facts.modified;
        if (!shift) {
            shift = DateShift(was.facts.modified, now->second.modified);
        }
        if (!shift || std::llabs(moved - *shift) > DateSlack) {
            return std::nullopt;
        }
    }
    return shift;
}

bool HoldsMostPathsOf(const DiscInDrive& disc, std::string_view keptFacts) {
    const auto kept = UnpackKeptFacts(keptFacts);
    if (!disc.walked || !kept || kept->empty()) {
        return false;
    }
    std::unordered_set<std::uint32_t> seen;
    seen.reserve(disc.files.size());
    for (const auto& file : disc.files) {
        seen.insert(PathCheck(disc.prefix + file.first));
    }
    const auto found = std::count_if(kept->begin(), kept->end(), [&seen](const KeptFacts& was) {
        return seen.contains(was.pathCheck);
    });
    return static_cast<std::size_t>(found) * 2 > kept->size();
}

std::optional<DiscMatch> WholeMatch(DiscInDrive& disc, const std::vector<DiscRecord>& records,
                                    const DiscEvidence& evidence) {
    std::optional<DiscMatch> best;
    // The newest registration first: a disc registered again is known by its last one.
    for (auto record = records.rbegin(); record != records.rend(); ++record) {
        if (const auto same = SameVolume(disc, *record)) {
            if (*same) {
                return DiscMatch{&*record, 0};
            }
            continue;
        }
        if (!MayBe(disc, *record) || record->files == 0) {
            continue;
        }
        if (!disc.walked) {
            evidence.walk(disc);
        }
        if (disc.fingerprint.files() != record->files) {
            continue;
        }
        const auto shift = SameByWalk(disc, *record,
                                      disc.fingerprint.text() == record->fingerprint
                                          ? std::string()
                                          : evidence.keptFacts(*record));
        if (shift && (!best || std::llabs(*shift) < std::llabs(best->shift))) {
            best = DiscMatch{&*record, *shift};
        }
    }
    return best;
}

std::optional<std::string> TitleOfDiscIn(const std::filesystem::path& catalogFile,
                                         const FileSystem& files, const std::string& drive) {
    try {
        Catalog catalog(catalogFile);
        const auto records = ReadDiscRecords(catalog, std::nullopt, false);
        if (records.empty() || !files.isDriveReady(drive)) {
            return std::nullopt;
        }
        DiscInDrive disc = LookAtDisc(files, drive);
        // A walk further than the largest registration it may be could only tell that it
        // is none of them.
        std::int64_t most = 0;
        for (const DiscRecord& record : records) {
            if (!SameVolume(disc, record).has_value() && MayBe(disc, record)) {
                most = std::max(most, record.files);
            }
        }
        const DiscEvidence evidence{
            [&](DiscInDrive& walked) {
                WalkDisc(files, walked,
                         static_cast<std::int32_t>(std::min<std::int64_t>(most, PathSlots)));
            },
            [&catalog](const DiscRecord& record) {
                return ReadKeptFacts(catalog, record.registration);
            }};
        const auto match = WholeMatch(disc, records, evidence);
        return match ? std::optional<std::string>(match->record->title) : std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace orbisk
