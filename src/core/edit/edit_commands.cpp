#include "edit/edit_commands.h"

#include "catalog/catalog.h"
#include "edit/csv.h"
#include "text/display_text.h"

#include <algorithm>

namespace orbisk {

namespace {

constexpr const char* RenameTitle = "名前の変更";
constexpr const char* RemoveTitle = "登録の削除";
constexpr const char* ExportTitle = "CSV出力";
// Rows written between two passes over the window's events.
constexpr std::int64_t RowsPerPass = 10000;

} // namespace

bool RenameCommand::run() {
    // The title to change stands in the field, so a long one never widens the question.
    const auto newTitle = platform_.dialogs.askText("新しいタイトル:", RenameTitle, title_);
    if (!newTitle || *newTitle == title_) {
        return false;
    }
    if (newTitle->empty()) {
        platform_.dialogs.message("メディアのタイトルを入力して下さい。", "タイトル未入力",
                                  Buttons::Ok);
        return false;
    }
    try {
        Catalog(catalogFile_, Catalog::Access::Write).renameDisc(title_, *newTitle);
    } catch (const std::exception& error) {
        platform_.dialogs.message(std::string("タイトルを変更できませんでした。\n") + error.what(),
                                  RenameTitle, Buttons::Ok);
        return false;
    }
    return true;
}

bool RemoveCommand::run() {
    try {
        Catalog catalog(catalogFile_, Catalog::Access::Write);
        if (platform_.dialogs.message("「" + title_ + "」の登録を削除しますか？\nファイル " +
                                          std::to_string(catalog.fileCount(title_)) + " 件",
                                      RemoveTitle, Buttons::OkCancel) == Answer::Cancel) {
            return false;
        }
        catalog.removeDisc(title_);
    } catch (const std::exception& error) {
        platform_.dialogs.message(std::string("登録を削除できませんでした。\n") + error.what(),
                                  RemoveTitle, Buttons::Ok);
        return false;
    }
    return true;
}

void ExportCommand::run() {
    const std::string name = platform_.dialogs.askSaveFileName(CsvFileFilter);
    if (name.empty()) {
        platform_.dialogs.message("ファイル名を指定してください。", ExportTitle, Buttons::Ok);
        return;
    }
    try {
        Catalog catalog(catalogFile_);
        auto file = platform_.files.createFile(name);
        file->write("\xEF\xBB\xBF");
        file->write(
            CsvLine({"ファイルパス", "メディア名", "ファイル名", "拡張子", "サイズ", "登録日"}));
        std::int64_t written = 0;
        std::vector<std::string> shown(6);
        catalog.exportRows(title_, [&](const std::vector<std::string>& row) {
            // The file says it is UTF-8: names from old discs that are not are written as
            // they are shown, read as the Japanese code page.
            std::transform(row.begin(), row.end(), shown.begin(),
                           [](const std::string& value) { return DisplayText(value); });
            file->write(CsvLine(shown));
            if (++written % RowsPerPass == 0) {
                platform_.events.processPendingEvents();
            }
            return true;
        });
        file->commit();
    } catch (const std::exception& error) {
        platform_.dialogs.message(std::string("CSVファイルを保存できませんでした。\n") +
                                      error.what(),
                                  ExportTitle, Buttons::Ok);
        return;
    }
    platform_.dialogs.message("保存しました。", ExportTitle, Buttons::Ok);
}

} // namespace orbisk
