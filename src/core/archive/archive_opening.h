#pragma once

#include <archive.h>
#include <archive_entry.h>
#include <memory>
#include <optional>
#include <string>

namespace orbisk {

struct ArchiveCloser {
    void operator()(archive* a) const { archive_read_free(a); }
};
using ArchiveHandle = std::unique_ptr<archive, ArchiveCloser>;

// An archive read through the callbacks given (source is theirs), in any format and
// compression libarchive knows, an LZH's names read as code page 932. Nothing when its
// start is no archive the library knows or could not be read.
ArchiveHandle OpenArchive(void* source, archive_read_callback* read, archive_seek_callback* seek,
                          archive_skip_callback* skip);

// The member's path as the archive holds it. An LZH's the library gives only converted
// from code page 932: turned back, they are the archive's bytes again.
std::optional<std::string> MemberPath(archive* a, archive_entry* entry);

} // namespace orbisk
