#include "report/save_log.h"

namespace orbisk {

void SaveLog(Platform platform, const std::string& log) {
    const auto tell = [&platform](MessageLines lines) {
        platform.dialogs.message({MessageId::SaveLogTitle, std::move(lines)}, Buttons::Ok);
    };
    const std::string name = platform.dialogs.askSaveFileName({MessageId::LogFiles, {}}, "");
    if (name.empty()) {
        tell({{MessageId::NoFileName, {}}});
        return;
    }
    try {
        platform.files.writeTextFile(name, log + "\r\n");
    } catch (const std::exception& error) {
        tell(Then({{MessageId::LogNotSaved, {}}}, ReasonOf(error)));
        return;
    }
    tell({{MessageId::Saved, {}}});
}

} // namespace orbisk
