#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orbisk {

// How the program's own records pack numbers and tell bytes apart: a 64-bit mix, a fast
// hash of bytes (not a cryptographic one: it finds damage and changes, not forgeries),
// and numbers written in as few bytes as they need.

std::uint64_t MixBits(std::uint64_t x);

// The hash of bytes, carrying on from seed (the hash of what came before, or any number).
std::uint64_t HashBytes(std::uint64_t seed, std::string_view bytes);

void PutVarint(std::string& out, std::uint64_t value);
// Reads a number at at, moving at past it; false when the bytes end first.
bool GetVarint(const char*& at, const char* end, std::uint64_t& value);

} // namespace orbisk
