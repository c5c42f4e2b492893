#pragma once

#include "platform/file_system.h"

#include <functional>

namespace orbisk::testing {

// A file system that counts the folders listed and lets a test act just before each
// listing (the walk lists a folder when it reaches it): a disc changed under a running walk.
template <class Base> class ListingHook : public Base {
public:
    using Base::Base;
    mutable int listings = 0;
    std::function<void(int listing)> onList;

    std::optional<FolderListing> listFolder(const std::string& folder,
                                            const std::string& namePattern) const override {
        ++listings;
        if (onList) {
            onList(listings);
        }
        return Base::listFolder(folder, namePattern);
    }
};

} // namespace orbisk::testing
