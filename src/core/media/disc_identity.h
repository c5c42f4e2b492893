#pragma once

#include "platform/file_system.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orbisk {

// Two dates of one file are the same when they differ by at most two seconds (the coarsest
// step a disc's file systems keep), or by a whole number of quarter hours up to 26 hours,
// give or take those two seconds: a disc read through another mount or in another time
// zone shows its dates shifted by the zone's offset, and offsets come in quarter hours
// (+5:45, +9:30) and span at most 26 hours (-12 to +14).
bool SameDate(std::int64_t a, std::int64_t b);
inline constexpr std::int64_t DateSlack = 2;
// How far b lies from a as SameDate allows it: whole quarter hours (0 for the same zone);
// nothing where they are not the same date.
std::optional<std::int64_t> DateShift(std::int64_t a, std::int64_t b);

// What the disc's first folder holds, as a short text: the names and sizes of its files
// and the names of its folders, in name order. Dates are left out, so that a disc read in
// another time zone gives the same. Empty when the folder cannot be listed.
std::string RootFingerprint(const FileSystem& files, const std::string& drive);

// What a walk saw of a disc, summed up as it goes: the number of files, their bytes and a
// digest of every file's path below the disc's folder, size and date.
class Fingerprint {
public:
    void add(std::string_view relativePath, const FileFacts& facts);
    std::int64_t files() const { return files_; }
    std::uint64_t bytes() const { return bytes_; }
    std::string text() const;

private:
    std::int64_t files_ = 0;
    std::uint64_t bytes_ = 0;
    std::uint64_t first_ = 0;
    std::uint64_t second_ = 0x2545F4914F6CDD1DULL;
};

// What a registration keeps of each of its files, in the order of its rows: the size, the
// date and a check of the path, which tells whether a row still is the file it was.
struct KeptFacts {
    FileFacts facts;
    std::uint32_t pathCheck = 0;
};
std::uint32_t PathCheck(std::string_view path);
void AppendKeptFacts(std::string& packed, std::string_view path, const FileFacts& facts);
// Nothing where the packed bytes do not hold together.
std::optional<std::vector<KeptFacts>> UnpackKeptFacts(std::string_view packed);

} // namespace orbisk
