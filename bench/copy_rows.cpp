#include "copy_rows.h"

#include <charconv>

namespace orbisk::bench {

namespace {

constexpr std::uint64_t DiscFiles = 5000;

std::uint64_t mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

bool isCopy(std::uint64_t ordinal) {
    return ordinal >= DiscFiles && mix(ordinal) % 5 == 0;
}

// The original file a row holds: itself, or the file an earlier disc's row holds.
std::uint64_t originalOf(std::uint64_t ordinal) {
    while (isCopy(ordinal)) {
        const std::uint64_t earlierDiscs = ordinal / DiscFiles * DiscFiles;
        ordinal = mix(ordinal ^ 0xC0FFEE) % earlierDiscs;
    }
    return ordinal;
}

} // namespace

void GenerateCopyRows(std::uint64_t rows, const std::function<void(const CopyRow&)>& take) {
    std::string name;
    CopyRow row;
    row.name = &name;
    char digits[24];
    const auto number = [&](std::uint64_t n) {
        const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
        name.append(digits, end);
    };
    for (std::uint64_t ordinal = 0; ordinal < rows; ++ordinal) {
        const std::uint64_t file = originalOf(ordinal);
        const std::uint64_t h = mix(file);
        const unsigned kind = static_cast<unsigned>(h % 10);
        const std::uint64_t n = (h >> 8) % 20000;
        name.clear();
        if (kind == 0) {
            name += "写真";
            number(n);
            name += ".jpg";
        } else if (kind < 5) {
            name += "IMG_";
            number(1000 + n % 9000);
            name += ".JPG";
        } else {
            name += "doc_";
            number(file % 3000000);
            name += ".txt";
        }
        row.row = ordinal + 1;
        row.disc = ordinal / DiscFiles;
        row.bytes = 1024 + (h >> 20) % (5 << 20);
        row.modified = 800000000 + static_cast<std::int64_t>((h >> 40) % 470000000);
        if (ordinal != file && mix(ordinal) % 100 < 5) {
            row.modified += 9 * 3600;
        }
        row.truth = {mix(file ^ 1), mix(file ^ 2)};
        row.content.reset();
        if (row.disc % 10 == 0) {
            row.content = row.truth;
        }
        take(row);
    }
}

} // namespace orbisk::bench
