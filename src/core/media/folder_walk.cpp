#include "media/folder_walk.h"

#include <set>

namespace orbisk {

bool PathStore::append(std::string path) {
    if (count() >= capacity_) {
        overflowed_ = true;
        return false;
    }
    paths_.push_back(std::move(path));
    return true;
}

namespace {

class Walk {
public:
    Walk(const WalkServices& services, std::string namePattern, bool recurse, PathStore& paths,
         SkippedFolders& skipped)
        : services_(services), namePattern_(std::move(namePattern)), recurse_(recurse),
          paths_(paths), skipped_(skipped) {}

    bool walkFolder(const std::string& folder) {
        if (services_.stop.stop_requested()) {
            return false;
        }
        const auto listing = services_.files.listFolder(folder, namePattern_);
        if (!listing) {
            skipped_.note(folder, services_.files.folderFailure(folder));
            return true;
        }
        if (visited_.empty()) {
            // The first folder is the disc's root: its file system is the disc.
            device_ = listing->identity.device;
            visited_.insert(listing->identity);
        }
        return walkListed(folder, *listing);
    }

private:
    bool walkListed(const std::string& folder, const FolderListing& listing) {
        for (const std::string& name : listing.files) {
            if (!paths_.append(folder + name)) {
                // The box has no title of its own.
                services_.dialogs.message({std::nullopt, {{MessageId::PathOverflow, {}}}},
                                          Buttons::Ok);
                return false;
            }
        }
        if (!recurse_) {
            return true;
        }
        const char separator = services_.files.separator();
        for (const Subfolder& subfolder : listing.subfolders) {
            // Another file system mounted below the disc is not the disc; a folder met a
            // second time would only give its files twice.
            if (subfolder.identity.device != device_ ||
                !visited_.insert(subfolder.identity).second) {
                continue;
            }
            if (!walkFolder(folder + subfolder.name + separator)) {
                return false;
            }
        }
        return true;
    }

    const WalkServices& services_;
    const std::string namePattern_;
    const bool recurse_;
    PathStore& paths_;
    SkippedFolders& skipped_;
    std::uint64_t device_ = 0;
    std::set<FolderIdentity> visited_;
};

} // namespace

bool CollectFiles(const WalkServices& services, const std::string& pattern, bool recurse,
                  PathStore& paths, SkippedFolders& skipped) {
    const auto cut = pattern.rfind(services.files.separator());
    if (cut == std::string::npos) {
        return false;
    }
    std::string namePattern = pattern.substr(cut + 1);
    if (namePattern.empty()) {
        namePattern = "*.*";
    }
    return Walk(services, std::move(namePattern), recurse, paths, skipped)
        .walkFolder(pattern.substr(0, cut + 1));
}

} // namespace orbisk
