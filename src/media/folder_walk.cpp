#include "media/folder_walk.h"

namespace orbisk {

bool PathArray::append(std::string path) {
    ++lastIndex_;
    if (lastIndex_ >= capacity_) {
        lastIndex_ = capacity_;
        return false;
    }
    paths_.push_back(std::move(path));
    return true;
}

namespace {

bool walkFolder(const WalkServices& services, const std::string& folder,
                const std::string& namePattern, bool recurse, PathArray& paths) {
    services.events.processPendingEvents();
    // One listing gives the files and the subfolders: a folder that cannot be read stops
    // the walk here, before anything of it is stored.
    const auto listing = services.files.listFolder(folder, namePattern);
    if (!listing) {
        return false;
    }
    for (const std::string& name : listing->files) {
        if (!paths.append(folder + name)) {
            services.dialogs.message(PathOverflowMessage, "", Buttons::Ok);
            return false;
        }
    }
    if (!recurse) {
        return true;
    }
    const char separator = services.files.separator();
    for (const std::string& subfolder : listing->subfolders) {
        if (!walkFolder(services, folder + subfolder + separator, namePattern, recurse, paths)) {
            return false;
        }
    }
    return true;
}

} // namespace

bool CollectFiles(const WalkServices& services, const std::string& pattern, bool recurse,
                  PathArray& paths) {
    const auto cut = pattern.rfind(services.files.separator());
    if (cut == std::string::npos) {
        return false;
    }
    std::string namePattern = pattern.substr(cut + 1);
    if (namePattern.empty()) {
        namePattern = "*.*";
    }
    return walkFolder(services, pattern.substr(0, cut + 1), namePattern, recurse, paths);
}

} // namespace orbisk
