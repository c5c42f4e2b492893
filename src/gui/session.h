#pragma once

#include "platform/platform.h"
#include "search/hit_table.h"

#include <filesystem>

namespace orbisk {

class NameIndex;

// What the windows of one run share: the platform's services, the catalogue file, the
// hits of the last search and the name index, where there is one.
struct Session {
    Platform platform;
    std::filesystem::path catalogFile;
    HitTable hits;
    NameIndex* index = nullptr;
};

} // namespace orbisk
