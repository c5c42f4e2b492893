#pragma once

#include "image/image_tree.h"
#include "platform/file_system.h"

#include <memory>
#include <string>

namespace orbisk {

// The images read with libcdio. libcdio opens an image only by its path: it keeps its own
// file handles, reads a cue sheet and then the BIN file the sheet names, and its UDF reader
// opens the image anew through the same driver. So these images are opened by path here,
// and nowhere else; everything else reads images through the platform's files.

// The data sectors of a CD image of tracks (a BIN file with its cue sheet, a Nero image),
// as 2048-byte sectors from the disc's first, whatever the tracks frame them in (mode 1,
// mode 2 form 1). Where the disc has several sessions, the last session's volume
// descriptors are read in place of the first's, as a drive mounts the last session.
// Nothing when libcdio cannot read it, reason then saying why.
std::unique_ptr<ReadableFile> OpenCdTracks(const std::string& path, MessageId& reason);

// A UDF volume read with libudf: its tree and what it says of itself. libudf reads UDF up
// to revision 1.50 (File Entries, one plain partition).
struct UdfVolume {
    VolumeIdentity volume;
    ImageTree tree;
    std::int32_t unreadable = 0; // folders libudf could not open
};
// Nothing when libudf finds no root folder.
std::optional<UdfVolume> ReadUdfVolume(const std::string& path);

// One file of a UDF image, read through libudf (which positions each read itself).
std::unique_ptr<ReadableFile> OpenUdfFile(const std::string& imagePath,
                                          const std::string& pathInImage, std::uint64_t size);

} // namespace orbisk
