#pragma once

#include "catalog/disc_rows.h"
#include "content/catalog_copies.h"

#include <optional>
#include <string>
#include <vector>

namespace orbisk {

// Another disc's copy of a file, as the catalogue window lists it.
struct OtherPlace {
    std::string title;
    std::string path;       // the file row's; the archive's for a packed file
    std::string memberPath; // the packed file's path in its archive; empty for a file
    Match match = Match::Weak;
};

// Where else the file of the disc titled title lives, in the catalogue's order; nothing
// where the catalogue does not know its size and date well enough to say (a row an older
// program registered), or no longer holds it as it was read.
std::optional<std::vector<OtherPlace>>
OtherPlacesOf(const CatalogCopies& copies, const std::string& title, const DiscFile& file);

// The files of a disc that no other disc holds, strongly or weakly: those of files (its
// files as ReadDiscFiles gave them) whose size and date are known and that have no copy
// elsewhere, in their order; and how many were left out for want of a size and date.
struct OnlyOnDisc {
    std::vector<DiscFile> files;
    std::size_t unknown = 0;
};
OnlyOnDisc FilesOnlyOnDisc(const CatalogCopies& copies, const std::string& title,
                           std::vector<DiscFile> files);

} // namespace orbisk
