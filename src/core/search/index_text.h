#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orbisk {

// The name as the name index holds it: read as it is shown and folded by the catalogue's
// rule (text_fold.h), in UTF-8. The bytes of a name that decodes in no way stay the lone
// surrogates DecodeUtf8 makes of them, in UTF-8's three-byte form, so that they match
// nothing but themselves.
std::string IndexText(std::string_view name);
// Folded text as the index writes it.
std::string EncodeIndexText(const std::u32string& folded);
// The folded characters of a name the index holds.
void DecodeIndexText(std::string_view text, std::u32string& out);

// The byte trigrams of text, each as a number (first byte highest), in text order.
void AppendTrigrams(std::string_view text, std::vector<std::uint32_t>& out);

// What a set of rows adds up to: two sums of 64-bit hashes, taken in any order, so that a
// row added or taken away changes it by exactly its own hash.
struct Digest {
    std::uint64_t first = 0;
    std::uint64_t second = 0;
    void add(const Digest& other) {
        first += other.first;
        second += other.second;
    }
    bool operator==(const Digest&) const = default;
};

// A text of the catalogue, which may be NULL.
struct Field {
    std::string_view text;
    bool null = false;
};

// The hash of one row the index holds: its kind, its id, its name and its title as the
// catalogue holds them.
Digest RowDigest(int kind, std::int64_t row, Field name, Field title);

} // namespace orbisk
