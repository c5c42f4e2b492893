#include "copy/copy_files.h"

#include "copy/copy_log.h"

namespace orbisk {

namespace {

// A catalogued name that would leave the target folder: only a damaged or crafted
// catalogue holds one.
bool leavesFolder(const std::string& name, char separator) {
    return name.empty() || name == "." || name == ".." ||
           name.find(separator) != std::string::npos || name.find('/') != std::string::npos ||
           name.find('\0') != std::string::npos;
}

class Run {
public:
    Run(Platform platform, CopySink& sink) : platform_(platform), sink_(sink) {}

    CopyRun copy(const HitTable& lines, const std::vector<std::size_t>& marked,
                 const std::string& folder);

private:
    enum class DiscCheck { Ready, Cancelled };

    DiscCheck checkDisc(const Hit& hit);
    std::string copyOne(const Hit& hit, const std::string& folder);
    void ask(const std::string& text) { platform_.dialogs.message(text, CopyTitle, Buttons::Ok); }

    Platform platform_;
    CopySink& sink_;
    std::string confirmedTitle_;
};

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
        if (platform_.files.isDriveReady(platform_.files.driveOfPath(hit.path))) {
            confirmedTitle_ = hit.title;
            return DiscCheck::Ready;
        }
        ask(hit.title + "のメディアの準備が出来ていません。");
        askForDisc = true;
    }
}

std::string Run::copyOne(const Hit& hit, const std::string& folder) {
    if (!platform_.files.isPresentFile(hit.path)) {
        return NotFoundMarker;
    }
    const char separator = platform_.files.separator();
    if (leavesFolder(hit.name, separator)) {
        return std::string(CopyErrorMarker) + "ファイル名にフォルダの区切りが含まれています。";
    }
    try {
        platform_.files.copyFile(hit.path, folder + separator + hit.name);
    } catch (const std::exception& error) {
        return CopyErrorMarker + std::string(error.what());
    }
    return CopiedMarker;
}

CopyRun Run::copy(const HitTable& lines, const std::vector<std::size_t>& marked,
                  const std::string& folder) {
    if (marked.empty()) {
        ask("コピーするファイルが選択されていません。");
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

CopyRun CopyFiles(Platform platform, const HitTable& lines, const std::vector<std::size_t>& marked,
                  const std::string& folder, CopySink& sink) {
    return Run(platform, sink).copy(lines, marked, folder);
}

} // namespace orbisk
