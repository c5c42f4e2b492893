#include "search/index_text.h"

#include "text/text_fold.h"
#include "text/unicode_text.h"

#include <cstring>

namespace orbisk {

namespace {

std::uint64_t mix(std::uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ULL;
    x ^= x >> 33;
    return x;
}

std::uint64_t hashInto(std::uint64_t h, std::string_view bytes) {
    h = mix(h ^ (bytes.size() * 0x9E3779B97F4A7C15ULL));
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        h = (h ^ mix(word)) * 0x9E3779B97F4A7C15ULL;
        h ^= h >> 29;
    }
    std::uint64_t tail = 0;
    if (i < bytes.size()) { // an empty view may have no data at all
        std::memcpy(&tail, bytes.data() + i, bytes.size() - i);
    }
    return mix(h ^ mix(tail ^ 0x2545F4914F6CDD1DULL));
}

} // namespace

std::string EncodeIndexText(const std::u32string& folded) {
    std::string text;
    text.reserve(folded.size());
    for (const char32_t c : folded) {
        AppendUtf8(text, c);
    }
    return text;
}

std::string IndexText(std::string_view name) {
    return EncodeIndexText(FoldedText(name));
}

void DecodeIndexText(std::string_view text, std::u32string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size();) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        std::size_t length = b0 < 0x80 ? 1 : b0 < 0xE0 ? 2 : b0 < 0xF0 ? 3 : 4;
        length = std::min(length, text.size() - i);
        char32_t c = length == 1   ? b0
                     : length == 2 ? b0 & 0x1F
                     : length == 3 ? b0 & 0x0F
                                   : b0 & 0x07;
        for (std::size_t k = 1; k < length; ++k) {
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        out.push_back(c);
        i += length;
    }
}

void AppendTrigrams(std::string_view text, std::vector<std::uint32_t>& out) {
    for (std::size_t i = 0; i + 3 <= text.size(); ++i) {
        out.push_back(static_cast<std::uint32_t>(static_cast<unsigned char>(text[i])) << 16 |
                      static_cast<std::uint32_t>(static_cast<unsigned char>(text[i + 1])) << 8 |
                      static_cast<unsigned char>(text[i + 2]));
    }
}

Digest RowDigest(int kind, std::int64_t row, Field name, Field title) {
    const std::uint64_t id =
        mix(static_cast<std::uint64_t>(row) * 16 + static_cast<std::uint64_t>(kind) * 4 +
            (name.null ? 2u : 0u) + (title.null ? 1u : 0u));
    return {hashInto(hashInto(id, name.text), title.text),
            hashInto(hashInto(id ^ 0x94D049BB133111EBULL, title.text), name.text)};
}

std::uint64_t Checksum(std::string_view bytes, std::uint64_t seed) {
    return hashInto(seed, bytes);
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
