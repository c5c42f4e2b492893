#include "media/disc_check.h"

#include <algorithm>

namespace orbisk {

DiscInDrive LookAtDisc(const FileSystem& files, const std::string& drive) {
    DiscInDrive disc;
    disc.drive = drive;
    const std::string pattern = files.walkPattern(drive);
    disc.prefix = pattern.substr(0, pattern.size() - 3); // the pattern ends in "*.*"
    disc.volume = files.volumeOf(drive);
    disc.root = RootFingerprint(files, drive);
    return disc;
}

void WalkDisc(const WalkServices& services, DiscInDrive& disc) {
    PathStore paths;
    SkippedFolders skipped;
    CollectFiles(services, services.files.walkPattern(disc.drive), true, paths, skipped);
    const std::size_t below = disc.prefix.size();
    for (const std::string& path : paths.paths()) {
        try {
            const FileFacts facts = services.files.fileFacts(path);
            disc.files.emplace_back(path.substr(std::min(below, path.size())), facts);
            disc.fingerprint.add(disc.files.back().first, facts);
        } catch (const FileError&) {
            disc.files.emplace_back(path.substr(std::min(below, path.size())), FileFacts{});
        }
    }
    disc.walked = true;
}

std::optional<bool> SameByLook(const DiscInDrive& disc, const DiscRecord& record) {
    if (!disc.volume || !record.volume || record.volume->uuid.empty()) {
        return std::nullopt;
    }
    return disc.volume->uuid == record.volume->uuid && disc.volume->label == record.volume->label &&
           disc.root == record.root;
}

bool SameByWalk(const DiscInDrive& disc, const DiscRecord& record) {
    if (disc.fingerprint.files() != record.files || disc.fingerprint.bytes() != record.bytes) {
        return false;
    }
    if (disc.fingerprint.text() == record.fingerprint) {
        return true;
    }
    // Dates may have shifted as a whole; compare file by file.
    const auto kept = UnpackKeptFacts(record.keptFacts);
    if (!kept || kept->size() != disc.files.size()) {
        return false;
    }
    for (std::size_t i = 0; i < kept->size(); ++i) {
        const auto& [relative, facts] = disc.files[i];
        const KeptFacts& was = (*kept)[i];
        if (was.pathCheck != PathCheck(disc.prefix + relative) || was.facts.bytes != facts.bytes ||
            !SameDate(was.facts.modified, facts.modified)) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> RegisteredTitleByLook(const DiscInDrive& disc,
                                                 const std::vector<DiscRecord>& records) {
    // The newest registration first: a disc registered again is known by its last look.
    for (auto record = records.rbegin(); record != records.rend(); ++record) {
        const auto same = SameByLook(disc, *record);
        if (same ? *same : (!disc.root.empty() && disc.root == record->root)) {
            return record->title;
        }
    }
    return std::nullopt;
}

std::optional<std::string> TitleOfDiscIn(const std::filesystem::path& catalogFile,
                                         const FileSystem& files, const std::string& drive) {
    try {
        Catalog catalog(catalogFile);
        const auto records = ReadDiscRecords(catalog, std::nullopt, false);
        if (records.empty() || !files.isDriveReady(drive)) {
            return std::nullopt;
        }
        return RegisteredTitleByLook(LookAtDisc(files, drive), records);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace orbisk
