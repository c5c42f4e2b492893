#pragma once

#include "platform/platform.h"

#include <filesystem>
#include <functional>
#include <string>

namespace orbisk {

class NameIndex;

// What the windows of one run share: the platform's services, the catalogue file and the
// name index, where there is one.
struct Session {
    Platform platform;
    std::filesystem::path catalogFile;
    NameIndex* index = nullptr;
};

// What a drive list says of the disc in a drive: the title it is registered under.
std::function<std::string(const std::string& drive)> RegisteredTitleSaid(const Session& session);

} // namespace orbisk
