#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orbisk {

struct Hit {
    std::string HitPath;
    std::string HitName;
    std::string HitTitle;
};

inline constexpr std::int32_t HitSlots = 100000;

// The hits of the last complete search. Row 0 is never used: line k of the copy window's
// list stands for row k + 1, so one search holds at most HitSlots - 1 hits.
struct HitTable {
    std::vector<Hit> rows = std::vector<Hit>(1);
    std::int32_t HitCount = 0;

    const Hit& forLine(std::int32_t line) const {
        return rows.at(static_cast<std::size_t>(line) + 1);
    }
};

} // namespace orbisk
