#pragma once

#include "platform/file_system.h"

#include <chrono>
#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace orbisk {

// One file packed in an archive: its path there, bytes as the archive gives them, the
// path's last part, its size and date, and its place among the archive's entries (every
// entry counted from 0, folders and links too), which tells it from another entry of the
// same path.
struct ArchiveMember {
    std::string path;
    std::string name;
    FileFacts facts;
    std::int64_t ordinal = 0;
};

// Which packed file to take out: its entry's place where the registration kept it (else
// -1), and its path and size as listed, which that entry must still have.
struct PackedFile {
    std::int64_t ordinal = -1;
    std::string path;
    std::uint64_t bytes = 0;
};

// How far the reading of one archive goes, so that a crafted one (a member list of a
// gigabyte, a bomb of a compression) cannot hold a registration.
struct ArchiveLimits {
    std::size_t mostMembers = 100000;
    std::size_t longestPath = 4096;
    std::chrono::milliseconds longest{10000};
    std::stop_token stop = {}; // a stop asked ends the listing as the deadline does
};

struct MemberList {
    enum class End {
        Listed,     // every member was read
        Unreadable, // not an archive, damaged, encrypted or too slow: no members kept
        TooMany     // the first mostMembers members are kept
    };
    End end = End::Listed;
    std::vector<ArchiveMember> members;
    std::int32_t links = 0;    // links to other files, which are not listed
    std::int32_t overlong = 0; // paths too long to keep
    std::int32_t outside = 0;  // paths that would lead out of a folder ("..", absolute)
    std::string reason;        // Unreadable: the library's words
};

// Whether a file of this name is worth opening as an archive: archives and the programs
// that unpack themselves. Whether it is one, its content tells.
bool IsArchiveName(std::string_view name);

// The plain files packed in the archive, read with libarchive (ZIP, LHA/LZH, 7z, CAB, tar
// and its compressions, ISO images, RAR). Member names come as the archive holds them
// (an LZH's, which the library reads only as code page 932, are turned back into it).
// Archives inside are members like any other: they are not opened.
MemberList ListMembers(ReadableFile& file, const ArchiveLimits& limits = {});

// Writes the packed file into out and commits it. The entry at its place must be a plain
// file of its path and size; without a place, the one plain file of that path and size
// is taken, and two of them are refused. What unpacks to any other size than listed is not
// committed: a damaged archive, or a bomb, whose writing stops at the listed size. Throws
// FileError; out is then left uncommitted. A stop asked while it unpacks ends it
// (CopyStopped).
void ExtractMember(ReadableFile& file, const PackedFile& packed, FileWriter& out,
                   std::stop_token stop = {});

} // namespace orbisk
