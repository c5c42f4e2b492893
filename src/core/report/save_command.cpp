#include "report/save_command.h"

namespace orbisk {

void SaveCommand::run() {
    constexpr const char* Title = "ログの保存";
    Dialogs& dialogs = platform_.dialogs;
    const std::string name = dialogs.askSaveFileName(LogFileFilter);
    if (name.empty()) {
        dialogs.message("ファイル名を指定してください。", Title, Buttons::Ok);
        return;
    }
    try {
        platform_.files.writeTextFile(name, log_ + "\r\n");
    } catch (const std::exception& error) {
        dialogs.message(std::string("ログを保存できませんでした。\n") + error.what(), Title,
                        Buttons::Ok);
        return;
    }
    dialogs.message("保存しました。", Title, Buttons::Ok);
}

} // namespace orbisk
