#pragma once

#include <cstddef>
#include <string>

namespace orbisk::testing {

// size bytes that repeat for a seed and differ between seeds. Bytes of fewer kinds (16,
// say) compress, as the files on discs do; 256 kinds do not.
std::string RandomBytes(std::size_t size, unsigned seed, unsigned kinds = 256);

} // namespace orbisk::testing
