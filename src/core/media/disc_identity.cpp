#include "media/disc_identity.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

// Eight bytes at a time: a registration hashes every path of the disc.
std::uint64_t hashOf(std::string_view bytes, std::uint64_t seed) {
    std::uint64_t h = mix(seed ^ bytes.size());
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        h = mix(h ^ word) + 0x9E3779B97F4A7C15ULL;
    }
    std::uint64_t tail = 0;
    if (i < bytes.size()) { // an empty view may have no data at all
        std::memcpy(&tail, bytes.data() + i, bytes.size() - i);
    }
    return mix(h ^ tail ^ 0x2545F4914F6CDD1DULL);
}

void putVarint(std::string& out, std::uint64_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<char>((value & 0x7F) | 0x80));
        value >>= 7;
    }
    out.push_back(static_cast<char>(value));
}

bool getVarint(std::string_view& in, std::uint64_t& value) {
    value = 0;
    for (int shift = 0; !in.empty() && shift < 64; shift += 7) {
        const auto byte = static_cast<unsigned char>(in.front());
        in.remove_prefix(1);
        value |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) {
            return true;
        }
    }
    return false;
}

std::string hex(std::uint64_t value) {
    char text[20];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

} // namespace

bool SameDate(std::int64_t a, std::int64_t b) {
    constexpr std::int64_t Slack = 2;
    constexpr std::int64_t QuarterHour = 15 * 60;
    constexpr std::int64_t Widest = 26 * 3600;
    const std::int64_t apart = std::llabs(a - b);
    if (apart > Widest + Slack) {
        return false;
    }
    const std::int64_t offQuarter = apart % QuarterHour;
    return std::min(offQuarter, QuarterHour - offQuarter) <= Slack;
}

std::string RootFingerprint(const FileSystem& files, const std::string& drive) {
    const std::string folder =
        drive.empty() || drive.back() == files.separator() ? drive : drive + files.separator();
    const auto listing = files.listFolder(folder, "");
    if (!listing) {
        return "";
    }
    std::vector<std::string> entries;
    for (const std::string& name : listing->files) {
        std::uint64_t bytes = 0;
        try {
            bytes = files.fileFacts(folder + name).bytes;
        } catch (const FileError&) {
            continue;
        }
        entries.push_back("f " + name + " " + std::to_string(bytes));
    }
    for (const Subfolder& subfolder : listing->subfolders) {
        entries.push_back("d " + subfolder.name);
    }
    std::sort(entries.begin(), entries.end());
    std::uint64_t h = 0;
    for (const std::string& entry : entries) {
        h = hashOf(entry, h);
    }
    return std::to_string(entries.size()) + ":" + hex(h);
}

void Fingerprint::add(std::string_view relativePath, const FileFacts& facts) {
    ++files_;
    bytes_ += facts.bytes;
    const std::uint64_t h = hashOf(relativePath, facts.bytes * 0x9E3779B97F4A7C15ULL ^
                                                     static_cast<std::uint64_t>(facts.modified));
    // Summed, so the order the file system lists files in does not count.
    first_ += h;
    second_ += mix(h ^ 0x94D049BB133111EBULL);
}

std::string Fingerprint::text() const {
    return std::to_string(files_) + ":" + std::to_string(bytes_) + ":" + hex(first_) + hex(second_);
}

std::uint32_t PathCheck(std::string_view path) {
    return static_cast<std::uint32_t>(hashOf(path, 0x5DEECE66DULL));
}

void AppendKeptFacts(std::string& packed, std::string_view path, const FileFacts& facts) {
    putVarint(packed, facts.bytes);
    // Dates as a number that stays small for the years of discs: zig-zag, so a date before
    // 1970 costs no more than one after.
    const auto date = static_cast<std::uint64_t>(facts.modified);
    putVarint(packed, (date << 1) ^ static_cast<std::uint64_t>(facts.modified >> 63));
    putVarint(packed, PathCheck(path));
}

std::optional<std::vector<KeptFacts>> UnpackKeptFacts(std::string_view packed) {
    std::vector<KeptFacts> kept;
    while (!packed.empty()) {
        std::uint64_t bytes = 0;
        std::uint64_t date = 0;
        std::uint64_t check = 0;
        if (!getVarint(packed, bytes) || !getVarint(packed, date) || !getVarint(packed, check)) {
            return std::nullopt;
        }
        const auto modified = static_cast<std::int64_t>((date >> 1) ^ (~(date & 1) + 1));
        kept.push_back({{bytes, modified}, static_cast<std::uint32_t>(check)});
    }
    return kept;
}

} // namespace orbisk
