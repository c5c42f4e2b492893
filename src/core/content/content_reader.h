#pragma once

#include "content/content_fingerprint.h"
#include "messages/message.h"
#include "platform/file_system.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace orbisk {

// What a reading worker shares with whoever shows its progress: counters it adds to as it
// goes, which another thread may read at any time.
struct ReadCounters {
    // Bytes read from the disc: a file's bytes, an archive's own bytes (not what unpacks
    // from it), and the bytes that read well before a failure.
    std::atomic<std::uint64_t> bytes{0};
    // Files read to their end or to their failure (an archive counts as one).
    std::atomic<std::uint64_t> files{0};
    // Packed files whose content was read, whatever came of it.
    std::atomic<std::uint64_t> members{0};
};

// How the reading of one file's content ended.
struct ContentRead {
    enum class End {
        Read,       // every byte it had when opened, and no more: the fingerprint holds
        Unreadable, // the system failed a read: reason says why, bytesRead how far it got
        Shorter,    // it ended before the size it had when opened
        Longer,     // it held more than the size it had when opened
        Damaged,    // a packed file that does not unpack: reason has the library's words
        Encrypted,  // a packed file behind a password, whose content cannot be read
        Cancelled   // stopped on request before the end
    };
    End end = End::Read;
    std::optional<ContentFingerprint> fingerprint; // only when end is Read
    std::uint64_t expectedBytes = 0;               // its size when opened (or as listed)
    std::uint64_t bytesRead = 0;                   // bytes from the start that read well
    MessageLines reason;                           // Unreadable and Damaged: why
};

// Reads files whole, block by block through the platform, and fingerprints their content.
// One reader serves a worker's files one after another; the counters and the cancel are
// shared with whoever watches it. A cancel is seen between two blocks, so it takes effect
// within one block's read.
class ContentReader {
public:
    // A block small enough to stay in the processor's cache between the system's copy and
    // the hashing: four times faster here from the system's cache than a megabyte, and
    // the same from a disc, which the system reads ahead of the reader in any case.
    static constexpr std::size_t BlockBytes = 1 << 16;

    ContentReader(ReadCounters& counters, std::stop_token stop);

    // Reads file from its start to its end. A read error ends the file's reading with the
    // system's reason and the bytes read well before it; it never throws for one.
    ContentRead read(ReadableFile& file);

private:
    ReadCounters& counters_;
    std::stop_token stop_;
    std::vector<char> buffer_;
};

} // namespace orbisk
