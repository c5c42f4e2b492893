#include "report/save_log.h"

namespace orbisk {

void SaveLog(const std::string& log, Dialogs& dialogs, FileSystem& files) {
    constexpr const char* Title = "ログの保存";
    const std::string name = dialogs.askSaveFileName(LogFileFilter);
    if (name.empty()) {
        dialogs.message("ファイル名を指定してください。", Title, Buttons::Ok);
        return;
    }
    try {
        files.writeTextFile(name, log + "\r\n");
    } catch (const std::exception& error) {
        dialogs.message(std::string("ログを保存できませんでした。\n") + error.what(), Title,
                        Buttons::Ok);
        return;
    }
    dialogs.message("保存しました。", Title, Buttons::Ok);
}

} // namespace orbisk
