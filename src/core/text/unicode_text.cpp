#include "text/unicode_text.h"

#include <cstdint>
#include <cstring>

namespace orbisk {

namespace {

char32_t escapedByte(unsigned char byte) {
    return 0xDC00 + byte;
}

// Length of the valid UTF-8 sequence at text[i], or 0 when it is not one.
std::size_t sequenceLength(std::string_view text, std::size_t i, char32_t& out) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, cp = b0 & 0x1F, minimum = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, cp = b0 & 0x0F, minimum = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, cp = b0 & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    out = cp;
    return length;
}

} // namespace

bool DecodeUtf8(std::string_view text, std::u32string& out) {
    out.clear();
    bool valid = true;
    for (std::size_t i = 0; i < text.size();) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        if (b0 < 0x80) {
            out.push_back(b0);
            ++i;
            continue;
        }
        char32_t cp = 0;
        const std::size_t length = sequenceLength(text, i, cp);
        if (length == 0) {
            out.push_back(escapedByte(b0));
            valid = false;
            ++i;
        } else {
            out.push_back(cp);
            i += length;
        }
    }
    return valid;
}

std::u32string DecodeUtf8(std::string_view text) {
    std::u32string out;
    DecodeUtf8(text, out);
    return out;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool IsAscii(std::string_view text) {
    // Eight bytes at a time.
    std::uint64_t any = 0;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        any |= word;
    }
    for (; i < text.size(); ++i) {
        any |= static_cast<unsigned char>(text[i]);
    }
    return (any & 0x8080808080808080ULL) == 0;
}

} // namespace orbisk
