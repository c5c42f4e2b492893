#pragma once

#include "platform/file_system.h"

#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace orbisk {

// The disc images under folder (a path without the closing separator) and every folder
// below it, in byte order of their paths, each image once: the track files a cue sheet
// beside them names (its .bin, .img) are the cue sheet's, not images of their own. A folder
// reached twice is entered once; folders that cannot be read are passed over.
std::vector<std::string> FindImages(const FileSystem& files, const std::string& folder);

// The title an image is registered under when nobody types one: its volume's label where
// that can be a title, else the image file's name without its extension; made unique
// against taken by " (2)", " (3)" and so on, so that a question for the disc by its title
// names one disc.
std::string ImageTitle(std::string_view volumeLabel, std::string_view imagePath, char separator,
                       const std::set<std::string>& taken);

} // namespace orbisk
