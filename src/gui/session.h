#pragma once

#include "platform/platform.h"
#include "search/hit_table.h"

#include <filesystem>

namespace orbisk {

// What the windows of one run share: the platform's services, the catalogue file and the
// hits of the last search.
struct Session {
    Platform platform;
    std::filesystem::path catalogFile;
    HitTable hits;
};

} // namespace orbisk
