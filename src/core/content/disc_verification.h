#pragma once

#include "archive/archive_reader.h"
#include "content/content_reader.h"
#include "platform/file_system.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace orbisk {

// A packed file as its registration kept it.
struct RegisteredMember {
    std::uint64_t place = 0; // its entry's place in the archive, every entry counted from 0
    std::string path;        // as the listing gave it
    std::optional<std::uint64_t> bytes; // nothing where the archive lists no size
    std::optional<ContentFingerprint> content;
};

// A file of a disc as its registration kept it.
struct RegisteredFile {
    std::string path; // below the disc's folder, in the file system's separators
    FileFacts facts;
    std::optional<ContentFingerprint> content;
    // The packed files listed in it when it was registered; empty for a plain file. An
    // archive with packed files is read through once, as a whole.
    std::vector<RegisteredMember> members;
};

// What a file, or a packed file, is found to be now.
enum class Verdict : std::uint8_t {
    Same,       // it reads to its end and agrees with its registration
    Changed,    // it reads to its end but differs: see changes
    Unreadable, // a read failed or the file ended early: read says where and why
    Missing,    // not on the disc (a packed file: not in its archive)
    Unlisted,   // on the disc but not in the registration
    Cancelled   // not looked at: the run stopped before it
};

// What differs between a file and its registration, as bits.
enum Change : std::uint8_t {
    SizeChanged = 1,
    DateChanged = 2,
    ContentChanged = 4, // the fingerprint differs (only where the registration kept one)
    MembersChanged = 8  // a packed file of it is not the same
};

struct MemberVerdict {
    Verdict verdict = Verdict::Same;
    std::uint8_t changes = 0;
    std::optional<std::size_t> registered; // index into the file's members; none: unlisted
    std::string path;
    ContentRead read; // Unlisted and Changed members carry what was read
};

struct FileVerdict {
    Verdict verdict = Verdict::Same;
    std::uint8_t changes = 0;
    std::optional<std::size_t> registered; // index into the registration; none: Unlisted
    std::string path;                      // below the disc's folder
    std::optional<FileFacts> now;          // its size and date on the disc, when it has them
    // How its reading ended: the fingerprint read (to keep where the registration had
    // none), or where and why it failed. Missing files carry none.
    ContentRead read;
    std::vector<MemberVerdict> members; // archives with packed files only
};

// What to compare: the disc's files as registered, where the disc is, and what the walk
// of the disc found now.
struct VerificationPlan {
    std::string root; // the disc's folder, ending in the separator
    std::vector<RegisteredFile> registered;
    // Every plain file the walk of the disc found now, below root.
    std::vector<std::string> walked;
    // How far the disc's dates lie from its registration's (a time zone; 0 for none):
    // dates are the same when they differ from the registered ones by this, give or take
    // the slack of a disc's file systems.
    std::int64_t dateShift = 0;
    ArchiveLimits archiveLimits;
};

// How many files came to each verdict, for a run's last line.
struct VerificationCounts {
    std::uint64_t same = 0, changed = 0, unreadable = 0, missing = 0, unlisted = 0, cancelled = 0;
    void add(Verdict verdict);
};

// Reads every registered file of the disc to its end, in the registration's order, and
// tells each one's verdict to onFile as soon as it is known, then the files the walk found
// that the registration lacks. A read error is the verdict of its file, never the end of
// the run: the files after it are read all the same. A stop request ends the run between
// two blocks; the files not reached are told as Cancelled. Counters take every byte read.
VerificationCounts VerifyDisc(const FileSystem& files, const VerificationPlan& plan,
                              ReadCounters& counters, std::stop_token stop,
                              const std::function<void(const FileVerdict&)>& onFile);

} // namespace orbisk
