#pragma once

#include <filesystem>

namespace orbisk {
class NameIndex;
}

namespace orbisk::bench {

// Times FIND through the name index, FIND scanning, and plocate over the same names, for
// each key of the comparison, on the ten-million-row catalogue; prints a line per key and
// the summary line "search-keys-10m".
void CompareSearchKeys(const std::filesystem::path& catalog, const NameIndex& index);

// Builds the index of the catalogue from nothing with the command line program, in a
// cache of its own, and prints its time, its size on disk and the programs' peak memory.
void MeasureLargeIndex(const std::filesystem::path& catalog);

} // namespace orbisk::bench
