#include "session.h"

#include "media/disc_check.h"

namespace orbisk {

std::function<std::string(const std::string& drive)> RegisteredTitleSaid(const Session& session) {
    return [&session](const std::string& drive) -> std::string {
        const auto title = TitleOfDiscIn(session.catalogFile, session.platform.files, drive);
        return title ? "登録済みのディスク: 「" + *title + "」" : "";
    };
}

} // namespace orbisk
