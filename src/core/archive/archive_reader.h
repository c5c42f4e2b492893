#pragma once

#include "platform/file_system.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orbisk {

// One file packed in an archive: its path there, bytes as the archive gives them, the
// path's last part, and its size and date.
struct ArchiveMember {
    std::string path;
    std::string name;
    FileFacts facts;
};

// How far the reading of one archive goes, so that a crafted one (a member list of a
// gigabyte, a bomb of a compression) cannot hold a registration.
struct ArchiveLimits {
    std::size_t mostMembers = 100000;
    std::size_t longestPath = 4096;
    std::chrono::milliseconds longest{10000};
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

// Writes the member at path (as ListMembers gave it) into out and commits it. A member
// larger than expectedBytes, the size the archive gave when it was listed, is not
// written out whole: a damaged archive or a bomb. Throws FileError with a Japanese
// reason; out is then left uncommitted.
void ExtractMember(ReadableFile& file, const std::string& path, std::uint64_t expectedBytes,
                   FileWriter& out);

} // namespace orbisk
