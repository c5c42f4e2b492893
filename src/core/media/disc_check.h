#pragma once

#include "catalog/disc_records.h"
#include "media/disc_identity.h"
#include "media/folder_walk.h"

#include <filesystem>
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
    Fingerprint fingerprint;
    std::vector<std::pair<std::string, FileFacts>> files; // path below the drive, in walk order
};

// Looks at the disc in drive without walking it.
DiscInDrive LookAtDisc(const FileSystem& files, const std::string& drive);

// Walks the disc and asks every file's size and date, letting window events run.
void WalkDisc(const WalkServices& services, DiscInDrive& disc);

// Whether the disc is the registration's by its look alone: the same volume (UUID and
// label) with the same first folder. Nothing when the look cannot tell (no volume on
// one side), and the disc must be walked.
std::optional<bool> SameByLook(const DiscInDrive& disc, const DiscRecord& record);

// Whether the walked disc is the registration's: the same files, of the same sizes, under
// the same paths, with the same dates (SameDate); record must hold its kept facts.
bool SameByWalk(const DiscInDrive& disc, const DiscRecord& record);

// The title under which the disc was registered, as far as its look tells; nothing when
// it tells none. A look that matches only the first folder of a disc without a volume
// counts: it is a reason to ask, not to decide.
std::optional<std::string> RegisteredTitleByLook(const DiscInDrive& disc,
                                                 const std::vector<DiscRecord>& records);

// The registered title of the disc in drive, for a list of drives; nothing when it is not
// registered, or the catalogue cannot be read. Never throws.
std::optional<std::string> TitleOfDiscIn(const std::filesystem::path& catalogFile,
                                         const FileSystem& files, const std::string& drive);

} // namespace orbisk
