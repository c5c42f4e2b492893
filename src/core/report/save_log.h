#pragma once

#include "platform/platform.h"

#include <string>

namespace orbisk {

// SAVE: writes the copy log and one more CR LF to a file the user names. A file that
// cannot be written is told to the user and left as it was.
void SaveLog(Platform platform, const std::string& log);

} // namespace orbisk
