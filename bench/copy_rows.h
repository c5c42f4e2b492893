#pragma once

#include "content/content_fingerprint.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace orbisk::bench {

// One file of a generated catalogue of many discs, as its rows stream out of it.
struct CopyRow {
    std::uint64_t row = 0;
    std::uint64_t disc = 0;
    std::uint64_t bytes = 0;
    std::int64_t modified = 0;
    const std::string* name = nullptr;
    std::optional<ContentFingerprint> content; // the rows of one disc in ten
    ContentFingerprint truth;                  // what the file holds, fingerprinted or not
};

// A catalogue of discs of 5,000 files each, made up as it is read: one file in five is a
// copy of a file of an earlier disc (one copy in twenty with its dates shifted by a time
// zone), names repeat as a camera's numbering does for files that differ, one name in ten
// is Japanese, and every tenth disc was read whole, so its files have fingerprints. The
// same rows come out in the same order every time.
void GenerateCopyRows(std::uint64_t rows, const std::function<void(const CopyRow&)>& take);

} // namespace orbisk::bench
