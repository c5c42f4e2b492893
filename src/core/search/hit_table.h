#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orbisk {

// One hit of a search: what the copy works from.
struct Hit {
    std::int64_t row = 0; // the catalogue row it was read from
    std::string path;     // the file's full path on its disc, as catalogued
    std::string name;     // the file name alone
    std::string title;    // the title of the disc it was registered under
    std::string size;     // the size as catalogued: whole kilobytes, digits grouped
};

// The hits of a search, in the catalogue's order: line i of the copy window is hit i.
using HitTable = std::vector<Hit>;

// A search holds at most this many hits.
inline constexpr std::size_t MostHits = 99999;

} // namespace orbisk
