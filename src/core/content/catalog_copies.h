#pragma once

#include "catalog/catalog.h"
#include "catalog/catalog_files.h"
#include "content/copy_groups.h"

#include <optional>
#include <stop_token>
#include <vector>

namespace orbisk {

// Where else each file of the catalogue lives: its files whose size and date it knows, and
// their groups of the same file on more than one disc. A disc is a title: registrations of
// one title are one disc registered again, never another copy.
class CatalogCopies {
public:
    struct Place {
        std::uint32_t ordinal = 0;
        Match match = Match::Weak;
    };

    // Reads the catalogue's files and groups them; nothing when stopped first.
    static std::optional<CatalogCopies> Find(Catalog& catalog, std::stop_token stop = {});

    const std::vector<CatalogFile>& files() const { return files_; }
    const CopyGroups& groups() const { return groups_; }
    std::optional<std::uint32_t> ordinalOf(std::int64_t row, std::int64_t member) const;
    // The file's copies on other discs, in the catalogue's order: Strong where both it and
    // the copy hold the same fingerprint, Weak where only name, size and date agree.
    std::vector<Place> elsewhere(std::uint32_t ordinal) const;

private:
    std::vector<CatalogFile> files_;
    CopyGroups groups_;
};

} // namespace orbisk
