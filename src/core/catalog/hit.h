#pragma once

#include <cstdint>
#include <string>

namespace orbisk {

// One hit of a search: what the copy works from.
struct Hit {
    std::int64_t row = 0; // the catalogue row it was read from
    std::string path;     // the file's full path on its disc, as catalogued
    std::string name;     // the file name alone
    std::string title;    // the title of the disc it was registered under
    std::string size;     // the size as catalogued: whole kilobytes, digits grouped

    // A file packed in an archive: the archive is the file above (path, row, size), and
    // these tell the packed file. member is 0 for a file of the disc itself.
    std::int64_t member = 0;
    std::string memberPath;
    std::uint64_t memberBytes = 0;
    std::int64_t memberOrdinal = -1; // its entry's place in the archive; -1 when not kept
};

// A hit on a file of a disc itself.
inline Hit FileHit(std::int64_t row, std::string path, std::string name, std::string title,
                   std::string size) {
    Hit hit;
    hit.row = row;
    hit.path = std::move(path);
    hit.name = std::move(name);
    hit.title = std::move(title);
    hit.size = std::move(size);
    return hit;
}

} // namespace orbisk
