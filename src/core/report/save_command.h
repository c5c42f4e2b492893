#pragma once

#include "platform/platform.h"

#include <string>

namespace orbisk {

inline constexpr const char* LogFileFilter = "ﾃｷｽﾄﾌｧｲﾙ(*.txt)|*.txt";

// SAVE: writes the copy log and one more CR LF to a file the user names. A file that
// cannot be written is told to the user and left as it was.
class SaveCommand {
public:
    SaveCommand(Platform platform, std::string log) : platform_(platform), log_(std::move(log)) {}

    void run();

private:
    Platform platform_;
    std::string log_;
};

} // namespace orbisk
