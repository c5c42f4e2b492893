#pragma once

#include "platform/dialogs.h"
#include "platform/file_system.h"

#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

namespace orbisk {

inline constexpr std::int32_t PathSlots = 100000;

// The caller's store of collected paths, with room for a fixed number of them.
class PathStore {
public:
    explicit PathStore(std::int32_t capacity = PathSlots) : capacity_(capacity) {}

    // Stores path; false, and nothing stored, when there is no room left.
    bool append(std::string path);

    std::int32_t count() const { return static_cast<std::int32_t>(paths_.size()); }
    // True once a path found no room.
    bool full() const { return overflowed_; }
    const std::vector<std::string>& paths() const { return paths_; }

private:
    std::int32_t capacity_;
    bool overflowed_ = false;
    std::vector<std::string> paths_;
};

// The folders a registration could not read, and so passed over: those the walk could
// not list, and those that could no longer be read once listed (a disc pulled, a folder
// removed meanwhile).
struct SkippedFolders {
    std::int32_t count = 0;
    std::string first; // the path of the first one, ending in the separator
    FolderFailure why; // the first one's

    void note(const std::string& folder, const FolderFailure& failure = {}) {
        if (count++ == 0) {
            first = folder;
            why = failure;
        }
    }
};

struct WalkServices {
    const FileSystem& files;
    Dialogs& dialogs;
    std::stop_token stop = {}; // asked between folders
};

// Collects the plain files under the folder of pattern (a folder prefix ending in the
// separator, then a name pattern carried into every subfolder), files of a folder before
// its subfolders. The walk stays on the disc: it never enters another file system mounted
// below its first folder, and enters a folder reached twice (a bind mount) only once. A
// folder that cannot be listed is noted in skipped, with the system's reason, and passed
// over. False when the walk
// stopped early because the path store was full (after telling the user) or a stop was
// asked, or the pattern names no folder; nothing more is stored after false.
bool CollectFiles(const WalkServices& services, const std::string& pattern, bool recurse,
                  PathStore& paths, SkippedFolders& skipped);

} // namespace orbisk
