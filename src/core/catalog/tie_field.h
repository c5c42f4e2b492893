#pragma once

#include "text/byte_codes.h"

#include <cstdint>
#include <string_view>

namespace orbisk {

// A tie, the hash by which a table of Orbisk's finds its row of another table again, built
// field by field. Each field goes in with its length, so that ("ab", "c") and ("a", "bc")
// tie apart. Ties are stored: this must never change.
inline std::uint64_t AddTieField(std::uint64_t seed, std::string_view field) {
    return HashBytes(MixBits(seed ^ field.size()), field);
}

} // namespace orbisk
