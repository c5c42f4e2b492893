#pragma once

#include "image/image_tree.h"
#include "platform/file_system.h"

#include <memory>
#include <string>

namespace orbisk {

// What a listing of an image's ISO 9660 file system gave, and what it could not read.
struct IsoListing {
    ImageTree tree;
    std::int32_t unreadable = 0; // entries the library passed over (damaged records, names)
    bool endedEarly = false;     // the listing stopped before its end
    MessageLines reason;         // why the first thing it could not read was not read
};

// Lists the ISO 9660 file system in data (2048-byte sectors, the volume descriptors at
// sector 16) with libarchive's reader, which takes Rock Ridge names as they are recorded,
// Joliet's where there are none (in UTF-8), and files split in several extents or
// compressed (zisofs) whole. Names without either extension are shown as the kernel shows
// them: in lower case, without their version. Each file is placed where its bytes start
// in data.
IsoListing ListIso(ReadableFile& data, bool joliet);

// One file of the listing read through libarchive from its start, for the files whose
// bytes are not all in one place (split or compressed); offset is the place ListIso gave.
std::unique_ptr<ReadableFile> OpenIsoFileThroughLibrary(std::shared_ptr<ReadableFile> data,
                                                        std::uint64_t offset, std::uint64_t size);

} // namespace orbisk
