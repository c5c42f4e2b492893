#include "copy/copy_files.h"

#include "archive/archive_reader.h"
#include "catalog/size_text.h"
#include "content/content_reader.h"
#include "copy/copy_log.h"
#include "image/disc_image.h"
#include "media/disc_check.h"
#include "media/registered_discs.h"
#include "search/find_files.h"
#include "text/display_text.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <map>

namespace orbisk {

namespace {

// A catalogued name that would leave the target folder: only a damaged or crafted
// catalogue holds one.
bool leavesFolder(const std::string& name, char separator) {
    return name.empty() || name == "." || name == ".." ||
           name.find(separator) != std::string::npos || name.find('/') != std::string::npos ||
           name.find('\0') != std::string::npos;
}

// A packed file's name is whatever its archive says: one with a control character is not
// made into a file.
bool hasControlCharacters(const std::string& name) {
    return std::any_of(name.begin(), name.end(),
                       [](char c) { return (static_cast<unsigned char>(c) < 0x20) || c == 0x7F; });
}

bool hasDigits(const std::string& text) {
    return text.find_first_of("0123456789") != std::string::npos;
}

class Run {
public:
    Run(Platform platform, const std::filesystem::path& catalogFile, CopySink& sink,
        std::stop_token stop)
        : platform_(platform), registered_(catalogFile), sink_(sink), stop_(std::move(stop)) {}

    CopyRun copy(const HitTable& lines, const std::vector<std::size_t>& marked,
                 const std::string& folder);

private:
    enum class DiscCheck { Ready, Cancelled };

    DiscCheck checkDisc(const Hit& hit);
    std::optional<MessageLines> wrongDisc(const Hit& hit, const std::string& where);
    std::string driveOf(const Hit& hit);
    std::string sourceOf(const Hit& hit);
    CopyLogEntry copyOne(const Hit& hit, const std::string& source, const std::string& folder);
    std::optional<Message> whatDiffers(const Hit& hit, const FileFacts& onDisc);
    bool sameContent(const Hit& hit, const std::string& copy);
    // Where else the catalogue holds the file, for a copy that failed: a line of the log's
    // reason, or none.
    MessageLines elsewhere(const Hit& hit) {
        const std::string places = registered_.elsewhereOf(hit);
        return places.empty() ? MessageLines{}
                              : MessageLines{{MessageId::CopiesElsewhere, {places}}};
    }
    void tell(MessageLines lines) {
        platform_.dialogs.message({MessageId::CopyTitle, std::move(lines)}, Buttons::Ok);
    }

    Platform platform_;
    RegisteredDiscs registered_;
    CopySink& sink_;
    std::stop_token stop_;
    std::string confirmedTitle_;
    // Whether the run took files from image files, and from drives with a tray.
    bool imagesUsed_ = false;
    bool traysUsed_ = false;
    // Image files the user pointed at elsewhere: the path each was registered at, and where
    // it is now. The rest of that image's files are read from there.
    std::map<std::string, std::string> moved_;
};

// Why the disc in the drive (or the image file at where, when that is not the hit's drive)
// is not the hit's, or nothing when it is or nothing tells. The
// disc is the hit's when it is one of the title's registrations whole (its volume, or its
// whole walk), or, not being another registered disc whole, when it holds most of a
// registration's paths: the disc itself with some files changed, which each file's own
// check then finds.
std::optional<MessageLines> Run::wrongDisc(const Hit& hit, const std::string& where) {
    const std::vector<DiscRecord>& records = registered_.recordsOf(hit.title);
    if (records.empty()) {
        return std::nullopt; // registered before discs were known: each file is checked
    }
    const std::string hitDrive = driveOf(hit);
    const std::string drive = where != hitDrive ? where
                              : platform_.files.isDriveReady(records.back().drive)
                                  ? records.back().drive
                                  : hitDrive;
    DiscInDrive disc = LookAtDisc(platform_.files, drive);
    // A moved image's paths are compared as the paths it was registered under.
    const std::string registeredPrefix =
        where != hitDrive ? LookAtDisc(platform_.files, hitDrive).prefix : std::string();
    const DiscEvidence evidence{
        [this, &registeredPrefix](DiscInDrive& walked) {
            WalkDisc(platform_.files, walked, PathSlots, stop_);
            if (!registeredPrefix.empty()) {
                walked.prefix = registeredPrefix;
            }
        },
        [this](const DiscRecord& record) { return registered_.keptFactsOf(record); }};
    const auto asked = WholeMatch(disc, records, evidence);
    if (asked && asked->shift == 0) {
        return std::nullopt;
    }
    // A disc that is the title's only with its dates moved may be another registered disc
    // whose dates are nearer: the nearer one is the disc.
    std::vector<DiscRecord> others;
    std::copy_if(registered_.all().begin(), registered_.all().end(), std::back_inserter(others),
                 [&hit](const DiscRecord& record) { return record.title != hit.title; });
    const auto other = WholeMatch(disc, others, evidence);
    if (asked && (!other || std::llabs(asked->shift) <= std::llabs(other->shift))) {
        return std::nullopt;
    }
    const Message notThis{MessageId::NotThisDisc, {hit.title}};
    if (other) {
        return MessageLines{notThis, {MessageId::RegisteredAs, {other->record->title}}};
    }
    for (const DiscRecord& record : records) {
        if (SameVolume(disc, record).has_value()) {
            continue; // its volume has said it is another disc
        }
        if (!disc.walked) {
            evidence.walk(disc);
        }
        if (HoldsMostPathsOf(disc, registered_.keptFactsOf(record))) {
            return std::nullopt;
        }
    }
    return MessageLines{notThis};
}

Run::DiscCheck Run::checkDisc(const Hit& hit) {
    const std::string drive = driveOf(hit);
    // An image file at its place is there without asking, and has no tray to move; it is
    // checked as a disc is, as another image may have been put in its place.
    const DiscRecord* record = registered_.recordOf(hit);
    const bool image = IsImageDrive(platform_.files, drive, record ? record->image : std::nullopt);
    (image ? imagesUsed_ : traysUsed_) = true;
    const auto moved = moved_.find(drive);
    std::string where = moved == moved_.end() ? drive : moved->second;
    bool check = hit.title != confirmedTitle_;
    // After a not-ready message the disc is asked for again even for the same title, so
    // the user always has Cancel as a way out.
    bool askForDisc = check && !(image && platform_.files.isDriveReady(where));
    for (;;) {
        if (askForDisc && image) {
            // No tray holds an image: the user is asked where it is now, by its path.
            MessageLines question;
            if (!platform_.files.isDriveReady(where)) {
                question.push_back({MessageId::ImageGone, {hit.title, where}});
            }
            question.push_back({MessageId::PointAtImage, {hit.title}});
            if (platform_.dialogs.message({MessageId::CopyTitle, std::move(question)},
                                          Buttons::OkCancel) == Answer::Cancel) {
                return DiscCheck::Cancelled;
            }
            const std::string picked = platform_.dialogs.askOpenFileName(
                MessageId::ImagePickerTitle, {MessageId::ImageFiles, {}}, where);
            if (!picked.empty() && !platform_.files.isDriveReady(picked)) {
                tell({{MessageId::PickedNotAnImage, {picked}}});
                continue;
            }
            if (!picked.empty()) {
                where = picked;
                check = true; // whether it is the same image, only its identity tells
            } else if (!platform_.files.isDriveReady(where)) {
                continue;
            }
        } else if (askForDisc) {
            platform_.tray.open();
            if (platform_.dialogs.message(
                    {MessageId::CopyTitle, {{MessageId::InsertDisc, {hit.title}}}},
                    Buttons::OkCancel) == Answer::Cancel) {
                return DiscCheck::Cancelled;
            }
        }
        if (!image) {
            platform_.tray.close();
        }
        if (!platform_.files.isDriveReady(where)) {
            tell({{MessageId::DiscNotReady, {hit.title}}});
        } else if (const auto why = check ? wrongDisc(hit, where) : std::nullopt) {
            tell(*why);
            where = drive;
        } else {
            confirmedTitle_ = hit.title;
            if (where != drive) {
                moved_[drive] = where;
            }
            return DiscCheck::Ready;
        }
        askForDisc = true;
        check = true;
    }
}

// The drive the hit's file is read from: the image file its registration read, when the
// path lies in it (its name need not say it is an image), else the drive of its path.
std::string Run::driveOf(const Hit& hit) {
    const DiscRecord* record = registered_.recordOf(hit);
    const char separator = platform_.files.separator();
    if (record && record->image.value_or(false) && hit.path.size() > record->drive.size() &&
        hit.path.starts_with(record->drive) && hit.path[record->drive.size()] == separator) {
        return record->drive;
    }
    return platform_.files.driveOfPath(hit.path);
}

// Where the hit's file is read from: in the image the user pointed at, when its own image
// was found elsewhere, else at its catalogued path.
std::string Run::sourceOf(const Hit& hit) {
    const std::string drive = driveOf(hit);
    const auto moved = moved_.find(drive);
    return moved == moved_.end() ? hit.path : moved->second + hit.path.substr(drive.size());
}

// What tells the file on the disc from the one catalogued, or nothing when nothing does: a
// reason of the copy log.
std::optional<Message> Run::whatDiffers(const Hit& hit, const FileFacts& onDisc) {
    const NumberFormat& numbers = platform_.numbers;
    if (const auto kept = registered_.keptOf(hit)) {
        Message differs{MessageId::FileDiffersFromRegistration, {"", "", "", ""}};
        if (kept->bytes != onDisc.bytes) {
            differs.values[0] = numbers.grouped(static_cast<std::int64_t>(kept->bytes));
            differs.values[1] = numbers.grouped(static_cast<std::int64_t>(onDisc.bytes));
        }
        if (!SameDate(kept->modified, onDisc.modified)) {
            differs.values[2] = platform_.clock.dateTimeText(kept->modified);
            differs.values[3] = platform_.clock.dateTimeText(onDisc.modified);
        }
        if (differs.text(0).empty() && differs.text(2).empty()) {
            return std::nullopt;
        }
        return differs;
    }
    const auto onDiscKilobytes = static_cast<std::int64_t>(Kilobytes(onDisc.bytes));
    if (!hasDigits(hit.size) || onDiscKilobytes == KilobytesOf(hit.size)) {
        return std::nullopt;
    }
    return Message{MessageId::FileDiffersFromCatalog,
                   {numbers.grouped(KilobytesOf(hit.size)), numbers.grouped(onDiscKilobytes)}};
}

// Whether the copy holds the content registered, where a fingerprint was kept: a file whose
// bytes changed within its size and date is told by nothing else. The copy is read back
// from the target, so the disc is read once.
bool Run::sameContent(const Hit& hit, const std::string& copy) {
    const auto kept = registered_.contentOf(hit);
    if (!kept) {
        return true;
    }
    ReadCounters counters;
    const auto file = platform_.files.openForReading(copy);
    return file && ContentReader(counters, stop_).read(*file).fingerprint == kept;
}

CopyLogEntry Run::copyOne(const Hit& hit, const std::string& source, const std::string& folder) {
    const std::string path = HitPathText(hit);
    const auto failed = [&path](MessageLines reason) {
        return CopyLogEntry{path, CopyLogEntry::Outcome::Failed, std::move(reason)};
    };
    if (!platform_.files.isPresentFile(source)) {
        // A path no file can be reached by is no missing file: the system refuses it.
        return platform_.files.isPathTooLong(source)
                   ? failed({{MessageId::SourcePathTooLong, {}}})
                   : CopyLogEntry{path, CopyLogEntry::Outcome::NotFound, {}};
    }
    const char separator = platform_.files.separator();
    // The copy takes the name the user saw: a name from an old Japanese disc is written as
    // its text, in UTF-8, as file names are written here.
    const std::string name = DisplayText(hit.name);
    if (leavesFolder(name, separator)) {
        return failed({{MessageId::NameLeavesFolder, {}}});
    }
    if (hit.member != 0 && hasControlCharacters(name)) {
        return failed({{MessageId::NameHasControl, {}}});
    }
    try {
        // The file on the disc must be the one catalogued: its size as the catalogue keeps
        // it, and its size and date where the registration kept them.
        if (const auto differs = whatDiffers(hit, platform_.files.fileFacts(source))) {
            return failed({*differs});
        }
        const std::string target = folder + separator + name;
        if (hit.member == 0) {
            platform_.files.copyFile(source, target, stop_);
        } else {
            // Only the packed file is taken out, under its own name in the folder: a path
            // in the archive never leads anywhere else.
            const auto archive = platform_.files.openForReading(source);
            if (!archive) {
                throw FileError(MessageLines{{MessageId::ArchiveNotOpened, {}}});
            }
            auto copy = platform_.files.newCopy(target);
            ExtractMember(*archive, {hit.memberOrdinal, hit.memberPath, hit.memberBytes}, *copy,
                          stop_);
        }
        if (!sameContent(hit, target)) {
            // A copy that is not the registered file is not left as if it were.
            platform_.files.removeFile(target);
            return failed(Then({{MessageId::ContentDiffersFromRegistration, {}}}, elsewhere(hit)));
        }
    } catch (const std::exception& error) {
        // A stop is no fault of the file: its entry says only that the copy stopped.
        return stop_.stop_requested() ? failed(ReasonOf(error))
                                      : failed(Then(ReasonOf(error), elsewhere(hit)));
    }
    return {path, CopyLogEntry::Outcome::Copied, {}};
}

CopyRun Run::copy(const HitTable& lines, const std::vector<std::size_t>& marked,
                  const std::string& folder) {
    if (marked.empty()) {
        tell({{MessageId::NothingMarked, {}}});
        return {CopyRun::End::NothingMarked, {}};
    }
    sink_.setBusy(true);
    const auto count = static_cast<std::int64_t>(lines.size());
    sink_.setProgressMax(static_cast<int>(count));
    sink_.setProgressValue(0);
    sink_.setPercentLabel("0%");

    platform_.files.prepareTarget(folder);
    CopyLog log;
    auto next = marked.begin();
    for (std::size_t line = 0; line < lines.size(); ++line) {
        if (next != marked.end() && *next == line) {
            ++next;
            const Hit& hit = lines[line];
            // No disc can give a file whose catalogued path names no drive.
            if (hit.path.empty()) {
                log.push_back({HitPathText(hit),
                               CopyLogEntry::Outcome::Failed,
                               {{MessageId::NoPathInCatalog, {}}}});
            } else if (driveOf(hit).empty()) {
                log.push_back({HitPathText(hit),
                               CopyLogEntry::Outcome::Failed,
                               {{MessageId::NoDriveForPath, {}}}});
            } else if (checkDisc(hit) == DiscCheck::Cancelled) {
                sink_.setBusy(false);
                sink_.setProgressMax(100);
                sink_.setProgressValue(0);
                sink_.setPercentLabel("0%");
                return {CopyRun::End::Cancelled, std::move(log)};
            } else {
                log.push_back(copyOne(hit, sourceOf(hit), folder));
            }
        }
        const auto done = static_cast<std::int64_t>(line) + 1;
        sink_.setProgressValue(static_cast<int>(done));
        sink_.setPercentLabel(std::to_string(done * 100 / count) + "%");
        // A stop that cut a file's copy short ends the run even at its last line.
        const bool cutShort =
            !log.empty() && log.back().reason == MessageLines{{MessageId::CopyStopped, {}}};
        if (stop_.stop_requested() && (line + 1 < lines.size() || cutShort)) {
            // What was copied stays copied and logged; the tray stays as it is.
            sink_.setBusy(false);
            return {CopyRun::End::Stopped, std::move(log)};
        }
    }
    // The tray opens for the next disc, unless the run took its files from images alone.
    if (traysUsed_ || !imagesUsed_) {
        platform_.tray.open();
    }
    sink_.setBusy(false);
    return {CopyRun::End::Done, std::move(log)};
}

} // namespace

CopyRun CopyFiles(Platform platform, const std::filesystem::path& catalogFile,
                  const HitTable& lines, const std::vector<std::size_t>& marked,
                  const std::string& folder, CopySink& sink, std::stop_token stop) {
    return Run(platform, catalogFile, sink, std::move(stop)).copy(lines, marked, folder);
}

} // namespace orbisk
