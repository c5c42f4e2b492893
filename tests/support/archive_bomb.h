#pragma once

#include "support/temp_dir.h"

#include <string>

namespace orbisk::testing {

// A tar whose one member claims 64 GB, compressed by tool (bzip2 or gzip) and followed by
// copies of that tool's stream of 64 MB of zeros, made in dir: a small file that unpacks
// to gigabytes. Its path.
std::string MakeArchiveBomb(const TempDir& dir, const std::string& tool, int copies);

} // namespace orbisk::testing
