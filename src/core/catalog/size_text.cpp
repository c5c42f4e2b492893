#include "catalog/size_text.h"

namespace orbisk {

std::uint64_t Kilobytes(std::uint64_t bytes) {
    // Integer arithmetic: exact for every size, where a division in floating point
    // could land a hair off the halfway mark.
    return bytes / 1024 + (bytes % 1024 >= 512 ? 1 : 0);
}

std::string SizeText(std::uint64_t bytes, const NumberFormat& numbers) {
    return numbers.grouped(static_cast<std::int64_t>(Kilobytes(bytes)));
}

std::int64_t KilobytesOf(std::string_view sizeText) {
    std::int64_t value = 0;
    for (const char c : sizeText) {
        if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
        }
    }
    return value;
}

} // namespace orbisk
