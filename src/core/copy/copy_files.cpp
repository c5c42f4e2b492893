#include "copy/copy_files.h"

#include "archive/archive_reader.h"
#include "copy/copy_log.h"
#include "edit/disc_store.h"
#include "media/disc_check.h"
#include "registration/size_text.h"

#include <algorithm>
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

// What the catalogue knows of the discs a copy needs: read once a run, a title's records
// when its disc is first asked for.
class Knowledge {
public:
    explicit Knowledge(const std::filesystem::path& catalogFile) : catalogFile_(catalogFile) {}

    const std::vector<DiscRecord>& recordsOf(const std::string& title) {
        auto [at, added] = byTitle_.try_emplace(title);
        if (added) {
            try {
                Catalog catalog(catalogFile_);
                at->second = ReadDiscRecords(catalog, title, true);
            } catch (const std::exception&) {
                // No records: the files are checked by their catalogued sizes alone.
            }
        }
        return at->second;
    }

    const std::vector<DiscRecord>& all() {
        if (!all_) {
            all_.emplace();
            try {
                Catalog catalog(catalogFile_);
                *all_ = ReadDiscRecords(catalog, std::nullopt, false);
            } catch (const std::exception&) {
            }
        }
        return *all_;
    }

    // What the registration kept of the hit's file, where it kept it and the row still
    // is that file.
    std::optional<FileFacts> keptOf(const Hit& hit) {
        for (const DiscRecord& record : recordsOf(hit.title)) {
            if (hit.row < record.firstRow || hit.row > record.lastRow) {
                continue;
            }
            auto [at, added] = kept_.try_emplace(record.registration);
            if (added) {
                at->second = UnpackKeptFacts(record.keptFacts).value_or(std::vector<KeptFacts>{});
            }
            const auto index = static_cast<std::size_t>(hit.row - record.firstRow);
            if (index < at->second.size() && at->second[index].pathCheck == PathCheck(hit.path)) {
                return at->second[index].facts;
            }
        }
        return std::nullopt;
    }

private:
    const std::filesystem::path& catalogFile_;
    std::map<std::string, std::vector<DiscRecord>> byTitle_;
    std::optional<std::vector<DiscRecord>> all_;
    std::map<std::int64_t, std::vector<KeptFacts>> kept_;
};

class Run {
public:
    Run(Platform platform, const std::filesystem::path& catalogFile, CopySink& sink)
        : platform_(platform), knowledge_(catalogFile), sink_(sink) {}

    CopyRun copy(const HitTable& lines, const std::vector<std::size_t>& marked,
                 const std::string& folder);

private:
    enum class DiscCheck { Ready, Cancelled };

    DiscCheck checkDisc(const Hit& hit);
    std::optional<std::string> wrongDisc(const Hit& hit);
    std::string copyOne(const Hit& hit, const std::string& folder);
    void tell(const std::string& text) { platform_.dialogs.message(text, CopyTitle, Buttons::Ok); }

    Platform platform_;
    Knowledge knowledge_;
    CopySink& sink_;
    std::string confirmedTitle_;
};

// Why the disc in the drive is not the hit's, or nothing when it is or nothing tells.
std::optional<std::string> Run::wrongDisc(const Hit& hit) {
    const std::vector<DiscRecord>& records = knowledge_.recordsOf(hit.title);
    if (records.empty()) {
        return std::nullopt; // registered before discs were known: each file is checked
    }
    const std::string drive = platform_.files.isDriveReady(records.back().drive)
                                  ? records.back().drive
                                  : platform_.files.driveOfPath(hit.path);
    DiscInDrive disc = LookAtDisc(platform_.files, drive);
    const WalkServices walk{platform_.files, platform_.events, platform_.dialogs};
    for (const DiscRecord& record : records) {
        auto same = SameByLook(disc, record);
        if (!same) {
            if (!disc.walked) {
                WalkDisc(walk, disc);
            }
            same = SameByWalk(disc, record);
        }
        if (*same) {
            return std::nullopt;
        }
    }
    std::string text = "このディスクは「" + hit.title + "」ではありません。";
    std::optional<std::string> other = RegisteredTitleByLook(disc, knowledge_.all());
    if (!other && disc.walked) {
        for (const DiscRecord& record : knowledge_.all()) {
            if (record.fingerprint == disc.fingerprint.text()) {
                other = record.title;
            }
        }
    }
    if (other && *other != hit.title) {
        text += "\n「" + *other + "」として登録されているディスクです。";
    }
    return text;
}

Run::DiscCheck Run::checkDisc(const Hit& hit) {
    // After a not-ready message the disc is asked for again even for the same title, so
    // the user always has Cancel as a way out.
    bool askForDisc = hit.title != confirmedTitle_;
    for (;;) {
        if (askForDisc) {
            platform_.tray.open();
            if (platform_.dialogs.message(hit.title + "のメディアをセットして下さい。", CopyTitle,
                                          Buttons::OkCancel) == Answer::Cancel) {
                return DiscCheck::Cancelled;
            }
        }
        platform_.tray.close();
        if (!platform_.files.isDriveReady(platform_.files.driveOfPath(hit.path))) {
            tell(hit.title + "のメディアの準備が出来ていません。");
        } else if (const auto why = askForDisc ? wrongDisc(hit) : std::nullopt) {
            tell(*why);
        } else {
            confirmedTitle_ = hit.title;
            return DiscCheck::Ready;
        }
        askForDisc = true;
    }
}

std::string Run::copyOne(const Hit& hit, const std::string& folder) {
    if (!platform_.files.isPresentFile(hit.path)) {
        // A path no file can be reached by is no missing file: the system refuses it.
        return platform_.files.isPathTooLong(hit.path)
                   ? std::string(CopyErrorMarker) +
                         "パスが長すぎるため、ディスクのファイルを開けません。"
                   : NotFoundMarker;
    }
    const char separator = platform_.files.separator();
    if (leavesFolder(hit.name, separator)) {
        return std::string(CopyErrorMarker) + "ファイル名にフォルダの区切りが含まれています。";
    }
    if (hit.member != 0 && hasControlCharacters(hit.name)) {
        return std::string(CopyErrorMarker) + "ファイル名に制御文字が含まれています。";
    }
    try {
        // The file on the disc must be the one catalogued: its size as the catalogue keeps
        // it, and its size and date where the registration kept them.
        const FileFacts onDisc = platform_.files.fileFacts(hit.path);
        const auto kept = knowledge_.keptOf(hit);
        const bool sameSize =
            !hasDigits(hit.size) ||
            static_cast<std::int64_t>(Kilobytes(onDisc.bytes)) == KilobytesOf(hit.size);
        const bool sameKept =
            !kept || (kept->bytes == onDisc.bytes && SameDate(kept->modified, onDisc.modified));
        if (!sameSize || !sameKept) {
            return std::string(CopyErrorMarker) +
                   "ディスクのファイルがカタログのファイルと違います。サイズか日付が異なり"
                   "ます（別のディスクかもしれません）。";
        }
        const std::string target = folder + separator + hit.name;
        if (hit.member == 0) {
            platform_.files.copyFile(hit.path, target);
        } else {
            // Only the packed file is taken out, under its own name in the folder: a path
            // in the archive never leads anywhere else.
            const auto archive = platform_.files.openForReading(hit.path);
            if (!archive) {
                throw FileError("書庫を開けません。");
            }
            auto copy = platform_.files.newCopy(target);
            ExtractMember(*archive, hit.memberPath, hit.memberBytes, *copy);
        }
    } catch (const std::exception& error) {
        return CopyErrorMarker + std::string(error.what());
    }
    return CopiedMarker;
}

CopyRun Run::copy(const HitTable& lines, const std::vector<std::size_t>& marked,
                  const std::string& folder) {
    if (marked.empty()) {
        tell("コピーするファイルが選択されていません。");
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
                log.add(hit.path,
                        CopyErrorMarker + std::string("カタログにファイルのパスがありません。"));
            } else if (platform_.files.driveOfPath(hit.path).empty()) {
                log.add(hit.path,
                        CopyErrorMarker +
                            std::string("ファイルのパスがどのドライブのものか分かりません。"));
            } else if (checkDisc(hit) == DiscCheck::Cancelled) {
                sink_.setBusy(false);
                sink_.setProgressMax(100);
                sink_.setProgressValue(0);
                sink_.setPercentLabel("0%");
                return {CopyRun::End::Cancelled, log.text()};
            } else {
                log.add(hit.path, copyOne(hit, folder));
            }
        }
        const auto done = static_cast<std::int64_t>(line) + 1;
        sink_.setProgressValue(static_cast<int>(done));
        sink_.setPercentLabel(std::to_string(done * 100 / count) + "%");
        platform_.events.processPendingEvents();
    }
    platform_.tray.open();
    sink_.setBusy(false);
    return {CopyRun::End::Done, log.text()};
}

} // namespace

CopyRun CopyFiles(Platform platform, const std::filesystem::path& catalogFile,
                  const HitTable& lines, const std::vector<std::size_t>& marked,
                  const std::string& folder, CopySink& sink) {
    return Run(platform, catalogFile, sink).copy(lines, marked, folder);
}

} // namespace orbisk
