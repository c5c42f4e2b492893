#pragma once

#include "catalog/disc_records.h"
#include "content/catalog_copies.h"
#include "media/disc_identity.h"
#include "search/hit_table.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orbisk {

// What the catalogue knows of registered discs, read when first asked and kept: a title's
// records with what they kept of each file, and every record. A catalogue that cannot be
// read knows none.
class RegisteredDiscs {
public:
    explicit RegisteredDiscs(const std::filesystem::path& catalogFile)
        : catalogFile_(catalogFile) {}

    // The records of one title (the exact text), with their kept facts.
    const std::vector<DiscRecord>& recordsOf(const std::string& title);
    // Every record, without its kept facts.
    const std::vector<DiscRecord>& all();

    // The registration that stored the hit's row; nothing when none kept a record of it.
    const DiscRecord* recordOf(const Hit& hit);

    // What the registration kept of the hit's file (of the archive, for a packed file),
    // where it kept it and the row still is that file.
    std::optional<FileFacts> keptOf(const Hit& hit);

    // A registration's kept facts, as stored.
    std::string keptFactsOf(const DiscRecord& record);

    // The content fingerprint kept of the hit's file (or packed file) while its row still
    // is that file; nothing where none was read.
    std::optional<ContentFingerprint> contentOf(const Hit& hit);
    // Where else the catalogue holds the hit's file, for the copy log: "「TITLE」PATH"
    // for each copy on another disc, a packed file's path after its archive's and "/",
    // joined by "、"; empty when it knows of none.
    std::string elsewhereOf(const Hit& hit);

private:
    const std::vector<KeptFacts>& unpacked(const DiscRecord& record);

    std::filesystem::path catalogFile_;
    std::map<std::string, std::vector<DiscRecord>> byTitle_;
    std::optional<std::vector<DiscRecord>> all_;
    std::map<std::int64_t, std::vector<KeptFacts>> kept_;
    std::optional<CatalogCopies> copies_;
    // The fingerprints of a registration's rows, by registration, then by row and packed
    // file: read once for a disc, not once a file.
    std::map<std::int64_t, std::map<std::pair<std::int64_t, std::int64_t>, ContentFingerprint>>
        contents_;
};

// A hit's size as numbers: the kilobytes as the catalogue keeps them, and the bytes where
// they are known (a packed file's own, or a file's as its registration kept them).
struct HitSize {
    std::optional<std::int64_t> kilobytes;
    std::optional<std::uint64_t> bytes;
};
HitSize SizeOfHit(const Hit& hit, RegisteredDiscs& registered);

} // namespace orbisk
