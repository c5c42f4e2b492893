#include "registration/size_text.h"

namespace orbisk {

std::string SizeText(std::uint64_t bytes, const NumberFormat& numbers) {
    // Integer arithmetic: exact for every size, where a division in floating point
    // could land a hair off the halfway mark.
    const std::uint64_t kilobytes = bytes / 1024 + (bytes % 1024 >= 512 ? 1 : 0);
    return numbers.grouped(static_cast<std::int64_t>(kilobytes));
}

} // namespace orbisk
