#pragma once

#include "catalog/catalog.h"
#include "platform/file_system.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orbisk {

// What the program learns of a disc at each registration, beyond the old program's two
// tables, kept in a table of its own (OrbiskDiscs) that is made when missing: the title,
// the rows of MediaTable the registration wrote, the folder it walked, what the volume
// says of itself, what the walk saw and each file's size and date. A catalogue made
// before has no such rows; its discs have no identity until registered again.
struct DiscRecord {
    std::int64_t registration = 0;
    std::string title;
    std::int64_t firstRow = 0;
    std::int64_t lastRow = 0;
    std::string drive;
    // Whether the drive was a disc image file; unknown in records kept before this was.
    std::optional<bool> image;
    std::optional<VolumeIdentity> volume;
    std::string root; // RootFingerprint
    std::int64_t files = 0;
    std::uint64_t bytes = 0;
    std::string fingerprint; // Fingerprint::text
    std::string keptFacts;   // AppendKeptFacts, row by row
};

// Makes the table where it is missing, and gives a table made before records told images
// from discs the column that tells them; the catalogue must be open for writing.
void MakeDiscRecords(Catalog& catalog);
void StoreDiscRecord(Catalog& catalog, const DiscRecord& record);

// Every record, or those of one title (the exact text), with their kept facts or without;
// none when the table is not there. A record whose first or last row is gone, or no longer
// bears its title (another program removed or changed them), is none.
std::vector<DiscRecord> ReadDiscRecords(Catalog& catalog, const std::optional<std::string>& title,
                                        bool withFacts);
// The kept facts of one registration; empty when it has none.
std::string ReadKeptFacts(Catalog& catalog, std::int64_t registration);

// Before a registration stores its rows: the records of rows that are gone past the
// catalogue's last row go, as the engine will give their ids to the new rows.
void ForgetRemovedDiscRecords(Catalog& catalog);

// The records of a title take its new title, or go with it; nothing when there are none.
void RenameDiscRecords(Catalog& catalog, const std::string& title, const std::string& newTitle);
void RemoveDiscRecords(Catalog& catalog, const std::string& title);

} // namespace orbisk
