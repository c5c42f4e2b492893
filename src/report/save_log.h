#pragma once

#include "platform/dialogs.h"
#include "platform/file_system.h"

#include <string>

namespace orbisk {

inline constexpr const char* LogFileFilter = "ﾃｷｽﾄﾌｧｲﾙ(*.txt)|*.txt";

// SAVE: writes the log and one more CR LF to a file the user names.
void SaveLog(const std::string& log, Dialogs& dialogs, FileSystem& files);

} // namespace orbisk
