#pragma once

#include "catalog/hit.h"

#include <cstddef>
#include <vector>

namespace orbisk {

// The hits of a search, in the catalogue's order: line i of the copy window is hit i.
using HitTable = std::vector<Hit>;

// A search holds at most this many hits.
inline constexpr std::size_t MostHits = 99999;

} // namespace orbisk
