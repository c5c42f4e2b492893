#include "copy/copy_command.h"

#include "copy/copy_log.h"
#include "media/media_routines.h"

namespace orbisk {

namespace {

constexpr const char* CommandTitle = "ファイルのコピー";
constexpr CopyControl ControlsInOrder[] = {
    CopyControl::CopyButton,  CopyControl::CloseButton, CopyControl::SelectAllButton,
    CopyControl::ClearButton, CopyControl::HitList,     CopyControl::FolderList,
    CopyControl::DriveList,
};

// A catalogued name that would leave the target folder: only a damaged or crafted
// catalogue holds one.
bool leavesFolder(const std::string& name, char separator) {
    return name.empty() || name == "." || name == ".." ||
           name.find(separator) != std::string::npos || name.find('/') != std::string::npos ||
           name.find('\0') != std::string::npos;
}

} // namespace

bool CopyCommand::anyMarked() const {
    const auto count = view_.lineCount();
    for (std::int32_t line = 0; line < count; ++line) {
        if (view_.isMarked(line)) {
            return true;
        }
    }
    return false;
}

void CopyCommand::setControlsEnabled(bool enabled) {
    for (const CopyControl control : ControlsInOrder) {
        view_.setControlEnabled(control, enabled);
    }
}

CopyCommand::DiscCheck CopyCommand::checkDisc(const Hit& hit, std::string& confirmedTitle) {
    // After a not-ready message the disc is asked for again even for the same title, so
    // the user always has Cancel as a way out.
    bool ask = hit.title != confirmedTitle;
    for (;;) {
        if (ask) {
            OpenTray(platform_.tray);
            if (platform_.dialogs.message(hit.title + "のメディアをセットして下さい。",
                                          CommandTitle, Buttons::OkCancel) == Answer::Cancel) {
                return DiscCheck::Cancelled;
            }
        }
        CloseTray(platform_.tray);
        if (IsDriveReady(platform_.files, platform_.files.driveOfPath(hit.path))) {
            confirmedTitle = hit.title;
            return DiscCheck::Ready;
        }
        platform_.dialogs.message(hit.title + "のメディアの準備が出来ていません。", CommandTitle,
                                  Buttons::Ok);
        ask = true;
    }
}

std::string CopyCommand::copyOne(const Hit& hit, const std::string& folder) {
    if (!IsFilePresent(platform_.files, hit.path)) {
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

void CopyCommand::run() {
    if (!anyMarked()) {
        platform_.dialogs.message("コピーするファイルが選択されていません。", CommandTitle,
                                  Buttons::Ok);
        return;
    }
    ReportView& report = reportWindow_.report();
    report.setLogText("");
    std::string confirmedTitle;
    setControlsEnabled(false);
    const std::int32_t count = view_.lineCount();
    view_.setProgressMax(count);
    view_.setProgressValue(0);
    view_.setPercentLabel("0%");

    const std::string folder = view_.targetFolder();
    platform_.files.prepareTarget(folder);
    CopyLog log;
    for (std::int32_t line = 0; line < count; ++line) {
        if (view_.isMarked(line)) {
            const Hit& hit = hits_.at(static_cast<std::size_t>(line));
            // No disc can give a file whose catalogued path names no drive.
            if (hit.path.empty()) {
                log.add(hit.path,
                        CopyErrorMarker + std::string("カタログにファイルのパスがありません。"));
            } else if (platform_.files.driveOfPath(hit.path).empty()) {
                log.add(hit.path,
                        CopyErrorMarker +
                            std::string("ファイルのパスがどのドライブのものか分かりません。"));
            } else if (checkDisc(hit, confirmedTitle) == DiscCheck::Cancelled) {
                setControlsEnabled(true);
                view_.setProgressMax(100);
                view_.setProgressValue(0);
                view_.setPercentLabel("0%");
                report.setLogText(log.text());
                return;
            } else {
                log.add(hit.path, copyOne(hit, folder));
            }
        }
        const std::int32_t done = line + 1;
        view_.setProgressValue(done);
        view_.setPercentLabel(std::to_string(static_cast<std::int64_t>(done) * 100 / count) + "%");
        platform_.events.processPendingEvents();
    }
    OpenTray(platform_.tray);
    setControlsEnabled(true);
    report.setLogText(log.text());
    report.showModal();
}

} // namespace orbisk
