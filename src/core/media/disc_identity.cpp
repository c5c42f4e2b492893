#include "media/disc_identity.h"

#include "text/byte_codes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace orbisk {

namespace {

std::string hex(std::uint64_t value) {
    char text[20];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

} // namespace

std::optional<std::int64_t> DateShift(std::int64_t a, std::int64_t b) {
    constexpr std::int64_t QuarterHour = 15 * 60;
    constexpr std::int64_t Widest = 26 * 3600;
    const std::int64_t apart = b - a;
    if (std::llabs(apart) > Widest + DateSlack) {
        return std::nullopt;
    }
    // The nearest whole quarter hour, halves away from zero.
    const std::int64_t quarters =
        (apart >= 0 ? apart + QuarterHour / 2 : apart - QuarterHour / 2) / QuarterHour;
    const std::int64_t shift = quarters * QuarterHour;
    if (std::llabs(apart - shift) > DateSlack) {
        return std::nullopt;
    }
    return shift;
}

bool SameDate(std::int64_t a, std::int64_t b) {
    return DateShift(a, b).has_value();
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
        h = HashBytes(h, entry);
    }
    return std::to_string(entries.size()) + ":" + hex(h);
}

void Fingerprint::add(std::string_view relativePath, const FileFacts& facts) {
    ++files_;
    bytes_ += facts.bytes;
    const std::uint64_t h =
        HashBytes(facts.bytes * 0x9E3779B97F4A7C15ULL ^ static_cast<std::uint64_t>(facts.modified),
                  relativePath);
    // Summed, so the order the file system lists files in does not count.
    first_ += h;
    second_ += MixBits(h ^ 0x94D049BB133111EBULL);
}

std::string Fingerprint::text() const {
    return std::to_string(files_) + ":" + std::to_string(bytes_) + ":" + hex(first_) + hex(second_);
}

std::uint32_t PathCheck(std::string_view path) {
    return static_cast<std::uint32_t>(HashBytes(0x5DEECE66DULL, path));
}

void AppendKeptFacts(std::string& packed, std::string_view path, const FileFacts& facts) {
    PutVarint(packed, facts.bytes);
    // Dates as a number that stays small for the years of discs: zig-zag, so a date before
    // 1970 costs no more than one after.
    const auto date = static_cast<std::uint64_t>(facts.modified);
    PutVarint(packed, (date << 1) ^ static_cast<std::uint64_t>(facts.modified >> 63));
    PutVarint(packed, PathCheck(path));
}

std::optional<std::vector<KeptFacts>> UnpackKeptFacts(std::string_view packed) {
    std::vector<KeptFacts> kept;
    const char* at = packed.data();
    const char* const end = at + packed.size();
    while (at < end) {
        std::uint64_t bytes = 0;
        std::uint64_t date = 0;
        std::uint64_t check = 0;
        if (!GetVarint(at, end, bytes) || !GetVarint(at, end, date) || !GetVarint(at, end, check)) {
            return std::nullopt;
        }
        const auto modified = static_cast<std::int64_t>((date >> 1) ^ (~(date & 1) + 1));
        kept.push_back({{bytes, modified}, static_cast<std::uint32_t>(check)});
    }
    return kept;
}

} // namespace orbisk
