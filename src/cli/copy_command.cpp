// copy: copies the catalogued files whose name matches a key from the discs and images at
// hand now, as COPY does, without a question.
#include "catalog/catalog_error.h"
#include "catalog/title_list.h"
#include "command.h"
#include "copy/copy_files.h"
#include "copy_log_text.h"
#include "image/disc_image.h"
#include "media/registered_discs.h"
#include "search/find_files.h"
#include "search/name_index.h"
#include "text/display_text.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>

namespace orbisk {

namespace {

constexpr OptionSpec ToOption{"--to", "", "FOLDER"};
constexpr OptionSpec LogOption{"--log", "", "FILE"};

// COPY's questions as a script has them answered. A disc asked for is the one in its drive
// (the drive was found ready before the run); any other question, and any question after a
// problem was told, is answered no, which ends the run. What the copy tells is kept, to be
// said with the hits it left behind.
class NoQuestions : public Dialogs {
public:
    MessageLines told;

    Answer message(const Notice& notice, Buttons buttons) override {
        if (buttons == Buttons::Ok) {
            told = notice.lines;
            return Answer::Ok;
        }
        const bool discInDrive = !asked_ && told.empty() && notice.lines.size() == 1 &&
                                 notice.lines[0].id == MessageId::InsertDisc;
        asked_ = true;
        return discInDrive ? Answer::Ok : Answer::Cancel;
    }
    std::string askSaveFileName(const Message&, const std::string&) override { return ""; }
    std::string askOpenFileName(MessageId, const Message&, const std::string&) override {
        return "";
    }
    std::optional<std::string> askText(const Notice&, const std::string&) override {
        return std::nullopt;
    }

private:
    bool asked_ = false;
};

class NoProgress : public CopySink {
public:
    void setBusy(bool) override {}
    void setProgressMax(int) override {}
    void setProgressValue(int) override {}
    void setPercentLabel(const std::string&) override {}
};

// The hits of one disc: one title in one drive (or image file), in the order found.
struct DiscHits {
    std::string title;
    std::string drive;
    std::optional<bool> image;      // as its registration found it; unknown without a record
    std::vector<std::size_t> lines; // positions in the search's hits
};

// The drive a hit's disc is at hand in: the folder or image file its registration read,
// else (registered before discs were known) the drive of its path. A disc is at hand only
// where its registration's folder is there, so that a folder-backed disc that is gone is
// not looked for in the file system that held it.
std::pair<std::string, std::optional<bool>> DriveOfHit(const Hit& hit, const FileSystem& files,
                                                       const std::vector<DiscRecord>& records) {
    for (const DiscRecord& record : records) {
        if (record.title == hit.title && hit.row >= record.firstRow && hit.row <= record.lastRow) {
            return {record.drive, record.image};
        }
    }
    return {hit.path.empty() ? "" : files.driveOfPath(hit.path), std::nullopt};
}

std::vector<DiscHits> ByDisc(const HitTable& hits, const FileSystem& files,
                             const std::vector<DiscRecord>& records) {
    std::vector<DiscHits> discs;
    std::map<std::pair<std::string, std::string>, std::size_t> seen;
    for (std::size_t line = 0; line < hits.size(); ++line) {
        auto [drive, image] = DriveOfHit(hits[line], files, records);
        const auto [at, added] = seen.try_emplace({hits[line].title, drive}, discs.size());
        if (added) {
            discs.push_back({hits[line].title, std::move(drive), image, {}});
        }
        discs[at->second].lines.push_back(line);
    }
    return discs;
}

enum class Outcome { NotReached, Copied, NotCopied };

std::string_view OutcomeWord(Outcome outcome) {
    switch (outcome) {
    case Outcome::Copied:
        return "copied";
    case Outcome::NotCopied:
        return "not-copied";
    case Outcome::NotReached:
        break;
    }
    return "not-reached";
}

int run(CommandRun& run) {
    FileSystem& files = run.services().files;
    const std::string folder = *run.value(ToOption);
    // A folder that takes no file is said before anything is copied.
    try {
        files.newCopy(folder + files.separator() + ".orbisk-write-check");
    } catch (const std::exception& error) {
        run.terminal().say(
            run.said({"The folder {} cannot be written: {}", "フォルダ {} に書き込めません。{}"},
                     {folder, error.what()}));
        return Failed;
    }
    NameIndex names(run.indexFolder(), run.catalog(), files);
    names.check();
    const Search search = SearchCatalog(run.catalog(), &names, run.words()[0],
                                        run.value(TitleOption).value_or(AllTitles));
    if (const auto notice = SearchNotice(search, run.catalog())) {
        run.terminal().tell(notice->lines);
        return search.end == Search::End::TooMany ? TooMany : Failed;
    }

    std::vector<Outcome> outcomes(search.hits.size(), Outcome::NotReached);
    CopyLog log;
    StillTray tray;
    NoProgress sink;
    RegisteredDiscs registered(run.catalog());
    for (const DiscHits& disc : ByDisc(search.hits, files, registered.all())) {
        NoQuestions answers;
        MessageLines why;
        if (!disc.drive.empty() && !files.isDriveReady(disc.drive)) {
            why = {files.isPresentFile(disc.drive)
                       ? Message{MessageId::ImageNotReadable, {disc.title, disc.drive}}
                   : IsImageDrive(files, disc.drive, disc.image)
                       ? Message{MessageId::ImageGone, {disc.title, disc.drive}}
                       : Message{MessageId::DiscNotReady, {disc.title}}};
        } else {
            HitTable lines;
            for (const std::size_t line : disc.lines) {
                lines.push_back(search.hits[line]);
            }
            std::vector<std::size_t> marked(lines.size());
            for (std::size_t i = 0; i < marked.size(); ++i) {
                marked[i] = i;
            }
            const Platform platform{files, tray, answers, run.services().clock,
                                    run.services().numbers};
            const CopyRun copied = CopyFiles(platform, run.catalog(), lines, marked, folder, sink);
            // The run handles its hits in order: its log's entries are its first hits'.
            for (std::size_t i = 0; i < copied.log.size(); ++i) {
                outcomes[disc.lines[i]] = copied.log[i].outcome == CopyLogEntry::Outcome::Copied
                                              ? Outcome::Copied
                                              : Outcome::NotCopied;
            }
            log.insert(log.end(), copied.log.begin(), copied.log.end());
            why = answers.told;
        }
        const auto left = std::count_if(disc.lines.begin(), disc.lines.end(), [&](std::size_t l) {
            return outcomes[l] == Outcome::NotReached;
        });
        if (left > 0) {
            run.terminal().tell(why);
            run.terminal().say(run.said(
                {"{}: {} file(s) not reached.", "「{}」のファイル {} 件に届きませんでした。"},
                {DisplayText(disc.title), std::to_string(left)}));
        }
    }

    int status = Done;
    if (const auto logFile = run.value(LogOption)) {
        try {
            files.writeTextFile(*logFile, CopyLogText(log) + "\r\n");
        } catch (const std::exception& error) {
            run.terminal().tell(Then({{MessageId::LogNotSaved, {}}}, ReasonOf(error)));
            status = Failed;
        }
    }
    Output output(run.services().out, run.has(NullOption));
    for (std::size_t line = 0; line < search.hits.size(); ++line) {
        const Hit& hit = search.hits[line];
        // A packed file is told from the others of its archive by its path in it, as find
        // tells it.
        if (hit.member != 0 || run.has(NullOption)) {
            output.record(
                {hit.path, std::string(OutcomeWord(outcomes[line])), hit.title, hit.memberPath});
        } else {
            output.record({hit.path, std::string(OutcomeWord(outcomes[line])), hit.title});
        }
        if (status == Done && outcomes[line] != Outcome::Copied) {
            status = NotAllCopied;
        }
    }
    return run.written(output, status);
}

} // namespace

extern const Command CopyCommand;
const Command CopyCommand{
    "copy",
    "KEY [--title TITLE] --to FOLDER [--log FILE] [-0]",
    {"copies the files find gives for KEY into FOLDER, from the discs\n"
     "in a drive and the images at their place now, each disc and file\n"
     "checked as the windows' COPY checks them; one line a hit: path,\n"
     "outcome (copied, not-copied, not-reached), title (tabs); why a disc\n"
     "was not reached on standard error; --log writes the copy log",
     "find が KEY で見つけるファイルを FOLDER にコピーする。いまドライブに\n"
     "あるディスクと、元の場所にあるイメージから。ディスクとファイルは\n"
     "ウィンドウの COPY と同じく確かめる。1件1行: パス、結果 (copied、\n"
     "not-copied、not-reached)、タイトル (タブ区切り)。届かなかった\n"
     "ディスクの理由は標準エラーに。--log はコピーのログを書く"},
    1,
    {TitleOption, ToOption, LogOption, NullOption},
    {ToOption},
    run,
};

} // namespace orbisk
