#include "content/file_places.h"

namespace orbisk {

namespace {

// The file's place in the copies, where they hold it as it is shown: a row id may have
// been given to another file since the disc's files were read.
std::optional<std::uint32_t> ordinalOf(const CatalogCopies& copies, const std::string& title,
                                       const DiscFile& file) {
    const auto ordinal = copies.ordinalOf(file.row, file.member);
    if (!ordinal) {
        return std::nullopt;
    }
    const CatalogFile& known = copies.files()[*ordinal];
    const std::string path = known.member == 0 ? known.path : known.path + "/" + known.memberPath;
    if (known.title != title || path != file.path) {
        return std::nullopt;
    }
    return ordinal;
}

} // namespace

std::optional<std::vector<OtherPlace>>
OtherPlacesOf(const CatalogCopies& copies, const std::string& title, const DiscFile& file) {
    const auto ordinal = ordinalOf(copies, title, file);
    if (!ordinal) {
        return std::nullopt;
    }
    std::vector<OtherPlace> places;
    for (const CatalogCopies::Place& place : copies.elsewhere(*ordinal)) {
        const CatalogFile& other = copies.files()[place.ordinal];
        places.push_back({other.title, other.path, other.memberPath, place.match});
    }
    return places;
}

OnlyOnDisc FilesOnlyOnDisc(const CatalogCopies& copies, const std::string& title,
                           std::vector<DiscFile> files) {
    OnlyOnDisc only;
    for (DiscFile& file : files) {
        const auto ordinal = ordinalOf(copies, title, file);
        if (!ordinal) {
            ++only.unknown;
        } else if (copies.groups().elsewhere(*ordinal) == Match::None) {
            only.files.push_back(std::move(file));
        }
    }
    return only;
}

} // namespace orbisk
