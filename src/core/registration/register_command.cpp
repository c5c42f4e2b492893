#include "registration/register_command.h"

#include "catalog/catalog.h"
#include "media/folder_walk.h"
#include "media/media_routines.h"
#include "media/path_cuts.h"
#include "registration/size_reader.h"

#include <cmath>
#include <cstdio>

namespace orbisk {

namespace {

constexpr const char* CommandTitle = "データベースの構築";
constexpr RegisterControl ControlsInOrder[] = {
    RegisterControl::DriveList,   RegisterControl::TitleBox,       RegisterControl::AddButton,
    RegisterControl::CloseButton, RegisterControl::AddPanelButton, RegisterControl::FindPanelButton,
    RegisterControl::EditButton,
};

// What the end of a registration says of the folders its walk passed over.
std::string skippedText(const SkippedFolders& skipped) {
    return "読み込めなかったフォルダが" + std::to_string(skipped.count) +
           "個あり、その中のファイルは登録されていません。\n最初のフォルダ: " + skipped.first;
}

std::string dateText(const CalendarDate& date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

} // namespace

void RegisterCommand::setControlsEnabled(bool enabled) {
    for (const RegisterControl control : ControlsInOrder) {
        view_.setControlEnabled(control, enabled);
    }
}

void RegisterCommand::storeFileRows(Catalog& catalog, const PathStore& paths,
                                    const std::string& title) {
    const auto k = paths.count();
    view_.setProgressMax(k);
    view_.setProgressValue(0);
    const char separator = platform_.files.separator();
    const std::string date = dateText(platform_.clock.today());
    long recorded = 0;
    std::int32_t j = 0;
    FileRow row;
    row.title = title;
    row.date = date;
    SizeReader sizes(platform_.files, platform_.numbers, paths.paths());
    for (const std::string& path : paths.paths()) {
        row.path = path;
        row.name = GetFileName(path, separator);
        row.extension = GetExtension(row.name);
        row.size = sizes.sizeText(static_cast<std::size_t>(j));
        catalog.storeFileRow(row);

        view_.setProgressValue(++j);
        const double p = static_cast<double>(j) / k * 100;
        // The label shows the figure recorded at the previous refresh, then the new one
        // is recorded: the window is refreshed only when the whole percent changes.
        if (static_cast<long>(p) != recorded) {
            view_.setPercentLabel(std::to_string(recorded) + "%");
            view_.setCaption("Orbisk[" + std::to_string(recorded) + "%]構築中...");
            platform_.events.processPendingEvents();
            recorded = std::lrint(p);
        }
    }
}

void RegisterCommand::run() {
    CloseTray(platform_.tray);
    const std::string title = view_.title();
    if (title.empty()) {
        platform_.dialogs.message("メディアのタイトルを入力して下さい。", "タイトル未入力",
                                  Buttons::Ok);
        return;
    }
    const std::string drive = view_.driveText();
    if (!IsDriveReady(platform_.files, drive)) {
        platform_.dialogs.message(title + "のメディアの準備が出来ていません。", CommandTitle,
                                  Buttons::Ok);
        return;
    }
    // A catalogue that cannot take the disc is found out before the disc is walked.
    try {
        Catalog(catalogFile_, Catalog::Access::Write).checkIntact();
    } catch (const std::exception& error) {
        platform_.dialogs.message("カタログに登録できません。\n" + catalogFile_.string() + "\n" +
                                      error.what(),
                                  CommandTitle, Buttons::Ok);
        return;
    }
    setControlsEnabled(false);
    view_.setCaption("Orbisk[0%]解析中...");

    PathStore paths;
    SkippedFolders skipped;
    CollectFiles({platform_.files, platform_.events, platform_.dialogs},
                 platform_.files.walkPattern(drive), true, paths, skipped);
    if (paths.count() == 0) {
        setControlsEnabled(true);
        view_.setCaption("Orbisk");
        if (skipped.count > 0) {
            platform_.dialogs.message("登録できるファイルがありませんでした。\n" +
                                          skippedText(skipped),
                                      CommandTitle, Buttons::Ok);
        }
        return;
    }
    try {
        // The file rows and the title row are one registration: stored whole or not at all.
        Catalog catalog(catalogFile_, Catalog::Access::Write);
        Catalog::Transaction registration(catalog);
        storeFileRows(catalog, paths, title);
        view_.setCaption("Orbisk[99%]最適化中...");
        catalog.storeTitle(title);
        registration.commit();
    } catch (const std::exception& error) {
        setControlsEnabled(true);
        view_.setCaption("Orbisk");
        view_.setPercentLabel("0%");
        view_.setProgressValue(0);
        platform_.dialogs.message(std::string("データベースの構築中にエラーが発生しました。"
                                              "このディスクは登録されていません。\n") +
                                      error.what(),
                                  CommandTitle, Buttons::Ok);
        return;
    }
    view_.setPercentLabel("100%");
    view_.setCaption("Orbisk[100%]完了");
    setControlsEnabled(true);
    view_.refreshTitles();
    std::string done = "完了しました。";
    if (skipped.count > 0) {
        done += "\n" + skippedText(skipped);
    }
    platform_.dialogs.message(done, CommandTitle, Buttons::Ok);
    view_.setPercentLabel("0%");
    view_.setCaption("Orbisk");
    view_.setProgressValue(0);
    OpenTray(platform_.tray);
}

} // namespace orbisk
