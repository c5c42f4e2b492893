#pragma once

#include "archive/archive_reader.h"
#include "content/content_reader.h"
#include "platform/file_system.h"

#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

namespace orbisk {

// The content of one packed file, read out of its archive.
struct MemberContent {
    std::uint64_t place = 0; // its entry's place in the archive: every entry counted, from 0
    std::string path;        // as ListMembers gives it
    bool sizeListed = true;  // whether the archive lists its size (a lone .gz does not)
    // Read: its fingerprint. expectedBytes is the size the archive lists, bytesRead what
    // unpacked; Shorter and Longer say that the two differ.
    ContentRead read;
};

// An archive on a disc read through once: the archive file's own content, and each packed
// file's.
struct ArchiveContents {
    enum class End {
        Read,       // every member was read
        NotArchive, // the library does not read the file as an archive: no members
        Damaged,    // the archive broke off before its end: reason; members up to there
        TooMany,    // more members than the limit: the first ones are given
        Failed,     // the file could not be read to its end (Unreadable or Shorter): see file
        Cancelled   // stopped on request
    };
    End end = End::Read;
    MessageLines reason; // Damaged: the library's words
    // The archive as a file on the disc, as ContentReader::read tells a file. Unreadable:
    // bytesRead is where the failure was met; every byte before it that was asked for read
    // well.
    ContentRead file;
    // The plain files packed in it, in the order and with the paths ListMembers gives for
    // the same archive (members[i] is its members[i]), as far as the reading got. Members
    // are left out exactly where ListMembers leaves them out.
    std::vector<MemberContent> members;
};

// Reads the archive in file once, from its start to its end, through the platform: the
// library unpacks each packed file as it comes and its bytes are fingerprinted, while the
// archive's own bytes are fingerprinted as they pass. A jump the library makes (to an index
// at the end, say) is read again at the end only where it was not read in order. A failed
// read of the disc ends the reading: the packed file being read is Unreadable, those after
// it are not given. The counters take the archive's bytes, one file and each member.
ArchiveContents ReadArchiveContents(ReadableFile& file, ReadCounters& counters,
                                    std::stop_token stop, const ArchiveLimits& limits = {});

} // namespace orbisk
