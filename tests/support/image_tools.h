#pragma once

#include "image/image_tree.h"
#include "platform/file_system.h"
#include "support/shell.h"

#include <map>
#include <string>

namespace orbisk::testing {

// A CD image of one data track in raw 2352-byte sectors, made from an ISO image's 2048-byte
// sectors (mode 1, or mode 2 form 1 as CD-ROM XA writes), with its cue sheet beside it.
// The error-correcting bytes are left zero: no reader here checks them.
void MakeBinCue(const std::string& iso, const std::string& bin, const std::string& cue, int mode);

// Every file under a folder as a walk sees it, by path below the folder: size and date.
std::map<std::string, FileFacts> FilesUnder(const FileSystem& files, const std::string& folder);
// Every file of an image's tree, by path: size and date.
std::map<std::string, FileFacts> FilesOf(const ImageTree& tree);

} // namespace orbisk::testing
