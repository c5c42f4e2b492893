#include "text/byte_codes.h"

#include <cstring>

namespace orbisk {

std::uint64_t MixBits(std::uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    x ^= x >> 33;
    return x;
}

// Eight bytes at a time: a registration hashes every path of a disc, an index every name.
std::uint64_t HashBytes(std::uint64_t seed, std::string_view bytes) {
    std::uint64_t h = MixBits(seed ^ (bytes.size() * 0x9E3779B97F4A7C15ULL));
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        h = (h ^ MixBits(word)) * 0x9E3779B97F4A7C15ULL;
        h ^= h >> 29;
    }
    std::uint64_t tail = 0;
    if (i < bytes.size()) { // an empty view may have no data at all
        std::memcpy(&tail, bytes.data() + i, bytes.size() - i);
    }
    return MixBits(h ^ MixBits(tail ^ 0x2545F4914F6CDD1DULL));
}

void PutVarint(std::string& out, std::uint64_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<char>((value & 0x7F) | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<char>(value));
}

bool GetVarint(const char*& at, const char* end, std::uint64_t& value) {
    value = 0;
    for (int shift = 0; at < end && shift < 64; shift += 7) {
        const auto byte = static_cast<unsigned char>(*at++);
        value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace orbisk
