#pragma once

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orbisk::testing {

// A member of an archive to write: a plain file of these bytes, or a link to data.
struct PackedEntry {
    std::string path;
    std::string data;
    bool link = false;
};

enum class ArchiveKind { Zip, Pax };

// An archive written by libarchive itself, for what the ordinary tools refuse to make (one
// path twice, a path out of the archive, a link). Every member takes the date given; with
// none, the archive keeps no date of its members' own.
void WriteArchive(const std::filesystem::path& file, const std::vector<PackedEntry>& entries,
                  ArchiveKind kind = ArchiveKind::Zip,
                  std::optional<std::time_t> modified = std::nullopt);

} // namespace orbisk::testing
