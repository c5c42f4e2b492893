#pragma once

#include "platform/platform.h"

#include <filesystem>

namespace orbisk {

class NameIndex;

// What the windows of one run share: the platform's services, the catalogue file and the
// name index, where there is one.
struct Session {
    Platform platform;
    std::filesystem::path catalogFile;
    NameIndex* index = nullptr;
};

} // namespace orbisk
