#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace orbisk {

// One hit of a search: the three columns the copy works from.
struct Hit {
    std::string path;  // the file's full path on its disc, as catalogued
    std::string name;  // the file name alone
    std::string title; // the title of the disc it was registered under
};

// The hits of the last complete search: line i of the copy window's list is hit i.
using HitTable = std::vector<Hit>;

// A search holds at most this many hits.
inline constexpr std::size_t MostHits = 99999;

} // namespace orbisk
