#pragma once

#include "catalog/disc_records.h"
#include "media/disc_identity.h"
#include "media/folder_walk.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orbisk {

// The disc in a drive, as far as telling it from another goes: what its volume says of
// itself and what its first folder holds, and, once walked, what the walk saw.
struct DiscInDrive {
    std::string drive;
    std::string prefix; // what every path of the disc begins with
    std::optional<VolumeIdentity> volume;
    std::string root;
    bool walked = false;
    bool whole = false; // the walk saw every file: it stopped at no limit
    Fingerprint fingerprint;
    std::vector<std::pair<std::string, FileFacts>> files; // path below the drive, in walk order
};

// Looks at the disc in drive without walking it.
DiscInDrive LookAtDisc(const FileSystem& files, const std::string& drive);

// Walks the disc and asks every file's size and date, without a word to the user: a disc
// of more than mostFiles files, or one whose walk is stopped, is walked no further (its
// walk is then not whole).
void WalkDisc(const FileSystem& files, DiscInDrive& disc, std::int32_t mostFiles = PathSlots,
              std::stop_token stop = {});

// Takes a walk made elsewhere (a registration's): asks every file's size and date.
void TakeWalk(const FileSystem& files, const std::vector<std::string>& paths, bool whole,
              DiscInDrive& disc);

// Whether the disc is the registration's by its volume: both have one (with a UUID), and
// its UUID and label are the same (for an ISO 9660 or UDF volume, whose UUID is only the time
// it was made, its first folder too). Nothing when either has none: the walk must tell.
std::optional<bool> SameVolume(const DiscInDrive& disc, const DiscRecord& record);

// Whether the disc may be the registration's by what it shows without a walk: its volume
// where that tells, else its first folder, which narrows but never decides.
bool MayBe(const DiscInDrive& disc, const DiscRecord& record);

// Whether the whole walk of the disc is the registration's: every file under the same path,
// of the same size, with the same date (or all dates shifted alike by a time zone, see
// SameDate); the shift (0 for the same dates), or nothing when it is not. keptFacts is the
// record's (ReadKeptFacts); it is needed only where dates moved.
std::optional<std::int64_t> SameByWalk(const DiscInDrive& disc, const DiscRecord& record,
                                       std::string_view keptFacts);

// Whether the walked disc holds more than half of the paths a registration kept (keptFacts):
// the registered disc, some of its files changed since.
bool HoldsMostPathsOf(const DiscInDrive& disc, std::string_view keptFacts);

// Where a check finds what it needs: a walk of the disc when one is needed (called at most
// once), and a record's kept facts.
struct DiscEvidence {
    std::function<void(DiscInDrive&)> walk;
    std::function<std::string(const DiscRecord&)> keptFacts;
};

// A registration the disc is, whole, and how far its dates lie from the registration's
// (0 for a volume that says so, or the same dates).
struct DiscMatch {
    const DiscRecord* record = nullptr;
    std::int64_t shift = 0;
};

// The one of records that the disc is, whole: by its volume where both sides have one, else
// by its whole walk (the walk is made only when the first folder narrows to a record that
// only a walk can tell). Where it is several, the one its dates lie nearest to, then the
// newest. Nothing when it is none of them.
std::optional<DiscMatch> WholeMatch(DiscInDrive& disc, const std::vector<DiscRecord>& records,
                                    const DiscEvidence& evidence);

// The registered title of the disc in drive, for a list of drives: only where the disc is a
// registration whole (a disc without a volume is walked when its first folder narrows to a
// registration, no further than that registration's files); nothing when it is none, or the
// catalogue cannot be read. Never throws.
std::optional<std::string> TitleOfDiscIn(const std::filesystem::path& catalogFile,
                                         const FileSystem& files, const std::string& drive);

} // namespace orbisk
