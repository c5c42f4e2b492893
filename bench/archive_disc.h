#pragma once

#include <filesystem>

namespace orbisk::bench {

// A disc of 1,000 archives, half ZIP and half LZH, of 100 files each, in 20 folders. Kept
// for later runs.
std::filesystem::path archiveDisc();

} // namespace orbisk::bench
