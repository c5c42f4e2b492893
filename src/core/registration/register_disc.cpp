#include "registration/register_disc.h"

#include "archive/archive_contents.h"
#include "archive/archive_reader.h"
#include "catalog/disc_records.h"
#include "catalog/row_writer.h"
#include "catalog/title_rules.h"
#include "image/disc_image.h"
#include "media/disc_check.h"
#include "media/folder_walk.h"
#include "media/path_cuts.h"
#include "registration/facts_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>

namespace orbisk {

namespace {

// What the end of a registration says of the folders it passed over, with the first one's
// reason in the system's words: one that could no longer be read (a disc pulled, a folder
// removed meanwhile) is said to be so.
MessageLines skippedLines(const SkippedFolders& skipped) {
    MessageLines lines{{MessageId::SkippedFolders, {Count(skipped.count)}},
                       {skipped.why.lost ? MessageId::FolderLost : MessageId::FirstSkippedFolder,
                        {skipped.first}}};
    if (!skipped.why.reason.empty()) {
        lines.push_back({MessageId::Reason, {Nested(skipped.why.reason)}});
    }
    return lines;
}

// What a registration found in the archives on the disc.
struct ArchiveTally {
    // A disc holds at most this many packed files in the catalogue; archives past them are
    // registered as files only.
    static constexpr std::int64_t MostMembers = 1000000;

    std::int64_t archives = 0;
    std::int64_t members = 0;
    std::int32_t unreadable = 0;
    std::string firstUnreadable;
    std::int32_t tooMany = 0;
    std::int32_t links = 0;
    std::int32_t overlong = 0;
    std::int32_t outside = 0;
    bool full = false;

    // What the end of a registration says of them, or no line.
    MessageLines lines() const {
        MessageLines said;
        const auto line = [&said](MessageId id, std::vector<MessageValue> values = {}) {
            said.push_back({id, std::move(values)});
        };
        if (members > 0) {
            line(MessageId::ArchivesRegistered, {Count(archives), Count(members)});
        }
        if (unreadable > 0) {
            line(MessageId::UnreadableArchives, {Count(unreadable)});
            line(MessageId::FirstUnreadableArchive, {firstUnreadable});
        }
        if (tooMany > 0) {
            line(MessageId::CrowdedArchives, {Count(tooMany)});
        }
        if (full) {
            line(MessageId::MemberLimitReached);
        }
        if (links > 0) {
            line(MessageId::ArchiveLinks, {Count(links)});
        }
        if (overlong > 0) {
            line(MessageId::OverlongMembers, {Count(overlong)});
        }
        if (outside > 0) {
            line(MessageId::MembersOutside, {Count(outside)});
        }
        return said;
    }
};

std::string dateText(const CalendarDate& date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

// Thrown out of the storing when a stop is asked, so that the transaction is not committed.
struct Stopped {};

class Run {
public:
    Run(Platform platform, const std::filesystem::path& catalogFile, RegisterSink& sink,
        std::stop_token stop, bool readContent)
        : platform_(platform), catalogFile_(catalogFile), sink_(sink), stop_(std::move(stop)),
          readContent_(readContent) {}

    Registration registerDisc(const std::string& drive, const std::string& title);

private:
    // Stores the file rows and fills record with what they were; the files of a folder
    // that could no longer be read are passed over and the folder noted in skipped.
    void storeFileRows(RowWriter& store, const PathStore& paths, const std::string& title,
                       const std::string& prefix, DiscRecord& record, SkippedFolders& skipped);
    // Whether to go on with a disc that is a registration already (asking the user), or
    // with a disc that is none.
    bool registerAgain(const std::optional<std::string>& title);
    std::vector<DiscRecord> readRecords();
    // The registration the walked disc is, whole, among those its volume cannot tell.
    std::optional<std::string>
    knownByWalk(DiscInDrive& disc, const std::vector<DiscRecord>& records, const PathStore& paths);
    // Lists the archive of the file row stored as id, if it is one, and stores its members;
    // their ids, in the listing's order.
    std::vector<std::int64_t> storeMembers(RowWriter& store, std::int64_t id, const FileRow& row);
    // Reads the file of row id to its end and stores its fingerprint, and an archive's
    // members' (ids: its members as stored, in the listing's order).
    void storeContent(RowWriter& store, std::int64_t id, const std::string& path, bool archive,
                      const std::vector<std::int64_t>& members);
    // A file read short of its end, counted for the end of the run.
    void unread(const std::string& path) {
        if (unread_++ == 0) {
            firstUnread_ = path;
        }
    }
    void message(MessageLines lines) {
        platform_.dialogs.message({MessageId::RegisterTitle, std::move(lines)}, Buttons::Ok);
    }
    // The window as it was before the run, after a failure or a stop.
    void resetSink() {
        sink_.setBusy(false);
        sink_.setCaption({MessageId::ProgramName, {}});
        sink_.setPercentLabel("0%");
        sink_.setProgressValue(0);
    }

    Platform platform_;
    const std::filesystem::path& catalogFile_;
    RegisterSink& sink_;
    std::stop_token stop_;
    ArchiveTally archives_;
    bool readContent_ = false;
    ReadCounters counters_;
    std::int64_t unread_ = 0;
    std::string firstUnread_;
};

void Run::storeContent(RowWriter& store, std::int64_t id, const std::string& path, bool archive,
                       const std::vector<std::int64_t>& members) {
    const auto file = platform_.files.openForReading(path);
    if (!file) {
        unread(path);
        return;
    }
    if (!archive) {
        const ContentRead read = ContentReader(counters_, stop_).read(*file);
        if (read.fingerprint) {
            store.storeContent(id, 0, *read.fingerprint);
        } else if (read.end != ContentRead::End::Cancelled) {
            unread(path);
        }
        return;
    }
    const ArchiveContents contents = ReadArchiveContents(*file, counters_, stop_);
    if (!contents.file.fingerprint) {
        if (contents.file.end != ContentRead::End::Cancelled) {
            unread(path);
        }
        return;
    }
    store.storeContent(id, 0, *contents.file.fingerprint);
    // Both readings leave out the same entries, so the members pair up in order.
    for (std::size_t i = 0; i < std::min(members.size(), contents.members.size()); ++i) {
        if (contents.members[i].read.fingerprint) {
            store.storeContent(id, members[i], *contents.members[i].read.fingerprint);
        }
    }
}

std::vector<std::int64_t> Run::storeMembers(RowWriter& store, std::int64_t id, const FileRow& row) {
    const std::string& path = row.path;
    std::vector<std::int64_t> stored;
    if (archives_.full) {
        return stored;
    }
    const auto file = platform_.files.openForReading(path);
    MemberList list;
    if (file) {
        ArchiveLimits limits;
        limits.mostMembers = static_cast<std::size_t>(std::min<std::int64_t>(
            limits.mostMembers, ArchiveTally::MostMembers - archives_.members));
        limits.stop = stop_;
        list = ListMembers(*file, limits);
    } else {
        list.end = MemberList::End::Unreadable;
    }
    if (list.end == MemberList::End::Unreadable) {
        if (archives_.unreadable++ == 0) {
            archives_.firstUnreadable = path;
        }
    } else {
        ++archives_.archives;
        for (const ArchiveMember& member : list.members) {
            stored.push_back(store.storeMember(id, row, member));
        }
        archives_.members += static_cast<std::int64_t>(list.members.size());
        archives_.full = archives_.members >= ArchiveTally::MostMembers;
        archives_.tooMany += list.end == MemberList::End::TooMany && !archives_.full ? 1 : 0;
        archives_.links += list.links;
        archives_.overlong += list.overlong;
        archives_.outside += list.outside;
    }
    return stored;
}

void Run::storeFileRows(RowWriter& store, const PathStore& paths, const std::string& title,
                        const std::string& prefix, DiscRecord& record, SkippedFolders& skipped) {
    const auto k = paths.count();
    sink_.setProgressMax(k);
    sink_.setProgressValue(0);
    const char separator = platform_.files.separator();
    long recorded = 0;
    std::int32_t j = 0;
    FileRow row;
    row.title = title;
    row.date = dateText(platform_.clock.today());
    FactsReader facts(platform_.files, platform_.numbers, paths.paths());
    Fingerprint fingerprint;
    const std::size_t below = prefix.size();
    bool stored = false;
    std::string lostFolder;
    for (const std::string& path : paths.paths()) {
        if (stop_.stop_requested()) {
            throw Stopped();
        }
        ReadFacts read = facts.facts(static_cast<std::size_t>(j));
        if (read.folderLost) {
            // The folder is noted once, as the walk notes one it cannot list.
            const std::string folder = path.substr(0, path.rfind(separator) + 1);
            if (folder != lostFolder) {
                lostFolder = folder;
                skipped.note(folder, *read.folderLost);
            }
        } else {
            row.path = path;
            row.name = GetFileName(path, separator);
            row.extension = GetExtension(row.name);
            row.size = std::move(read.sizeText);
            const std::int64_t id = store.storeFileRow(row);
            record.firstRow = stored ? record.firstRow : id;
            record.lastRow = id;
            stored = true;
            fingerprint.add(std::string_view(path).substr(std::min(below, path.size())),
                            read.facts);
            AppendKeptFacts(record.keptFacts, path, read.facts);
            const bool archive = IsArchiveName(row.name);
            const auto members =
                archive ? storeMembers(store, id, row) : std::vector<std::int64_t>{};
            if (readContent_) {
                storeContent(store, id, path, archive, members);
            }
        }

        sink_.setProgressValue(++j);
        const double p = static_cast<double>(j) / k * 100;
        // The label shows the figure recorded at the previous refresh, then the new one
        // is recorded: the window is refreshed only when the whole percent changes.
        if (static_cast<long>(p) != recorded) {
            sink_.setPercentLabel(std::to_string(recorded) + "%");
            sink_.setCaption({MessageId::CaptionStoring, {Count(recorded)}});
            recorded = std::lrint(p);
        }
    }
    if (!stored) {
        // Every folder went before its files were read: a disc taken out.
        throw FileError(skippedLines(skipped));
    }
    record.files = fingerprint.files();
    record.bytes = fingerprint.bytes();
    record.fingerprint = fingerprint.text();
}

std::vector<DiscRecord> Run::readRecords() {
    try {
        Catalog catalog(catalogFile_);
        return ReadDiscRecords(catalog, std::nullopt, false);
    } catch (const std::exception&) {
        return {}; // the check before the walk has said whether the catalogue can be read
    }
}

std::optional<std::string> Run::knownByWalk(DiscInDrive& disc,
                                            const std::vector<DiscRecord>& records,
                                            const PathStore& paths) {
    // Only a registration of as many files can be this walk: the others are not asked about
    // at all, and a disc that is new costs no second look at its files.
    std::vector<DiscRecord> sameCount;
    std::copy_if(records.begin(), records.end(), std::back_inserter(sameCount),
                 [&paths](const DiscRecord& record) { return record.files == paths.count(); });
    if (sameCount.empty()) {
        return std::nullopt;
    }
    const DiscEvidence evidence{[this, &paths](DiscInDrive& walked) {
                                    TakeWalk(platform_.files, paths.paths(), !paths.full(), walked);
                                },
                                [this](const DiscRecord& record) {
                                    try {
                                        Catalog catalog(catalogFile_);
                                        return ReadKeptFacts(catalog, record.registration);
                                    } catch (const std::exception&) {
                                        return std::string();
                                    }
                                }};
    const auto match = WholeMatch(disc, sameCount, evidence);
    return match ? std::optional<std::string>(match->record->title) : std::nullopt;
}

bool Run::registerAgain(const std::optional<std::string>& title) {
    return !title || platform_.dialogs.message(
                         {MessageId::RegisterTitle, {{MessageId::RegisteredBefore, {*title}}}},
                         Buttons::OkCancel) == Answer::Ok;
}

Registration Run::registerDisc(const std::string& drive, const std::string& title) {
    const bool inTray = !IsImageDrive(platform_.files, drive, std::nullopt);
    if (inTray) {
        platform_.tray.close();
    }
    if (const auto refusal = TitleRefusal(title)) {
        platform_.dialogs.message(*refusal, Buttons::Ok);
        return Registration::Refused;
    }
    if (!platform_.files.isDriveReady(drive)) {
        message({{MessageId::DiscNotReady, {title}}});
        return Registration::Refused;
    }
    // A catalogue that cannot take the disc is found out before the disc is walked.
    try {
        Catalog(catalogFile_, Catalog::Access::Write).checkIntact();
    } catch (const std::exception& error) {
        message(Then({{MessageId::CatalogRefusesDisc, {}}, Verbatim(catalogFile_.string())},
                     ReasonOf(error)));
        return Registration::Refused;
    }
    // A disc registered before is told as such only when it is that disc whole: a volume
    // that says so is told before the walk, a disc known by its walk after it.
    DiscInDrive disc = LookAtDisc(platform_.files, drive);
    const std::vector<DiscRecord> records = readRecords();
    const auto byVolume = std::find_if(records.rbegin(), records.rend(), [&disc](const auto& r) {
        return SameVolume(disc, r).value_or(false);
    });
    if (!registerAgain(byVolume == records.rend() ? std::nullopt
                                                  : std::optional<std::string>(byVolume->title))) {
        return Registration::Refused;
    }
    sink_.setBusy(true);
    sink_.setCaption({MessageId::CaptionReading, {Count(0)}});

    PathStore paths;
    SkippedFolders skipped;
    CollectFiles({platform_.files, platform_.dialogs, stop_}, platform_.files.walkPattern(drive),
                 true, paths, skipped);
    if (stop_.stop_requested()) {
        resetSink();
        return Registration::Stopped;
    }
    if (paths.count() == 0) {
        sink_.setBusy(false);
        sink_.setCaption({MessageId::ProgramName, {}});
        if (skipped.count > 0) {
            message(Then({{MessageId::NothingToRegister, {}}}, skippedLines(skipped)));
        }
        return Registration::Empty;
    }
    if (byVolume == records.rend() && !registerAgain(knownByWalk(disc, records, paths))) {
        sink_.setBusy(false);
        sink_.setCaption({MessageId::ProgramName, {}});
        return Registration::Refused;
    }
    try {
        // The file rows and the title row are one registration: stored whole or not at all.
        Catalog catalog(catalogFile_, Catalog::Access::Write);
        Catalog::Transaction registration(catalog);
        ForgetRemovedDiscRecords(catalog);
        RowWriter store(catalog);
        DiscRecord record;
        record.title = title;
        record.drive = drive;
        record.image = !inTray;
        record.volume = disc.volume;
        record.root = disc.root;
        storeFileRows(store, paths, title, disc.prefix, record, skipped);
        sink_.setCaption({MessageId::CaptionFinishing, {Count(99)}});
        store.storeTitle(title);
        MakeDiscRecords(catalog);
        StoreDiscRecord(catalog, record);
        if (stop_.stop_requested()) {
            throw Stopped(); // the last archive's listing may have been cut short by it
        }
        registration.commit();
        catalog.settle();
    } catch (const Stopped&) {
        resetSink();
        return Registration::Stopped;
    } catch (const std::exception& error) {
        resetSink();
        message(Then({{MessageId::RegistrationFailed, {}}}, ReasonOf(error)));
        return Registration::Failed;
    }
    sink_.setPercentLabel("100%");
    sink_.setCaption({MessageId::CaptionDone, {Count(100)}});
    sink_.setBusy(false);
    sink_.titlesChanged();
    MessageLines done = Then({{MessageId::Registered, {}}}, archives_.lines());
    if (unread_ > 0) {
        done = Then(std::move(done), {{MessageId::ContentsUnread, {Count(unread_)}},
                                      {MessageId::FirstContentUnread, {firstUnread_}}});
    }
    if (skipped.count > 0) {
        done = Then(std::move(done), skippedLines(skipped));
    }
    message(std::move(done));
    sink_.setPercentLabel("0%");
    sink_.setCaption({MessageId::ProgramName, {}});
    sink_.setProgressValue(0);
    if (inTray) {
        platform_.tray.open();
    }
    return Registration::Registered;
}

} // namespace

Registration RegisterDisc(Platform platform, const std::filesystem::path& catalogFile,
                          const std::string& drive, const std::string& title, RegisterSink& sink,
                          std::stop_token stop, bool readContent) {
    return Run(platform, catalogFile, sink, std::move(stop), readContent)
        .registerDisc(drive, title);
}

} // namespace orbisk
