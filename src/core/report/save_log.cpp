#include "report/save_log.h"

namespace orbisk {

void SaveLog(Platform platform, const std::string& log) {
    constexpr const char* Title = "ログの保存";
    Dialogs& dialogs = platform.dialogs;
    const std::string name = dialogs.askSaveFileName(LogFileFilter, "");
    if (name.empty()) {
        dialogs.message("ファイル名を指定してください。", Title, Buttons::Ok);
        return;
    }
    try {
        platform.files.writeTextFile(name, log + "\r\n");
    } catch (const std::exception& error) {
        dialogs.message(std::string("ログを保存できませんでした。\n") + error.what(), Title,
                        Buttons::Ok);
        return;
    }
    dialogs.message("保存しました。", Title, Buttons::Ok);
}

} // namespace orbisk
