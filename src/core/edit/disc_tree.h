#pragma once

#include "catalog/disc_rows.h"

#include <string>
#include <vector>

namespace orbisk {

// A folder of a disc as the catalogue remembers it.
struct DiscFolder {
    std::string name;                  // the folder's own name; the root's is the disc's folder
    std::vector<std::size_t> children; // into DiscTree::folders, by name
    std::vector<std::size_t> files;    // into the disc's files, in catalogue order
};

// The folders of a disc, built from its stored paths: folders[0] is the root, the folder
// all the disc's files lie below (the drive the disc was registered from).
struct DiscTree {
    std::vector<DiscFolder> folders;
};

// A path in the Windows form ("e:\DATA\A.TXT") is cut at backslashes, any other at "/",
// so a backslash in a name from a Linux disc stays part of the name. Doubled separators
// make no empty folders. Names are bytes and are kept as they are.
DiscTree BuildDiscTree(const std::vector<DiscFile>& files);

} // namespace orbisk
