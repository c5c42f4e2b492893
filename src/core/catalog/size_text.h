#pragma once

#include "platform/number_format.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace orbisk {

// Whole kilobytes of a size, halves rounded away from zero (512 bytes is 1).
std::uint64_t Kilobytes(std::uint64_t bytes);

// A file size as the catalogue keeps it: whole kilobytes, halves rounded away from zero
// (512 bytes is 1), with the locale's digit grouping.
std::string SizeText(std::uint64_t bytes, const NumberFormat& numbers);

// The kilobytes a stored size text stands for: its digits, whatever the grouping.
std::int64_t KilobytesOf(std::string_view sizeText);

} // namespace orbisk
