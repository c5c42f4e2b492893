#include "search/index_text.h"

#include "text/byte_codes.h"
#include "text/text_fold.h"
#include "text/unicode_text.h"

#include <cstring>

namespace orbisk {

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
        MixBits(static_cast<std::uint64_t>(row) * 16 + static_cast<std::uint64_t>(kind) * 4 +
                (name.null ? 2u : 0u) + (title.null ? 1u : 0u));
    return {HashBytes(HashBytes(id, name.text), title.text),
            HashBytes(HashBytes(id ^ 0x94D049BB133111EBULL, title.text), name.text)};
}

} // namespace orbisk
