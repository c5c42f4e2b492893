#include "content/catalog_copies.h"

#include <algorithm>
#include <map>

namespace orbisk {

std::optional<CatalogCopies> CatalogCopies::Find(Catalog& catalog, std::stop_token stop) {
    CatalogCopies copies;
    ReadCatalogFiles(catalog,
                     [&copies](CatalogFile& file) { copies.files_.push_back(std::move(file)); });
    std::sort(copies.files_.begin(), copies.files_.end(), [](const auto& a, const auto& b) {
        return std::pair(a.row, a.member) < std::pair(b.row, b.member);
    });
    CopyFinder finder(copies.files_.size());
    std::map<std::string, std::uint64_t> discs;
    for (std::uint32_t ordinal = 0; ordinal < copies.files_.size(); ++ordinal) {
        const CatalogFile& file = copies.files_[ordinal];
        const auto disc = discs.emplace(file.title, discs.size()).first->second;
        finder.add({ordinal, disc, file.facts.bytes, file.facts.modified, file.name, file.content});
    }
    auto groups = finder.finish(stop);
    if (!groups) {
        return std::nullopt;
    }
    copies.groups_ = std::move(*groups);
    return copies;
}

std::optional<std::uint32_t> CatalogCopies::ordinalOf(std::int64_t row, std::int64_t member) const {
    // Files come in row order, a row's packed files after it in the order of their ids.
    const auto found = std::lower_bound(
        files_.begin(), files_.end(), std::pair(row, member),
        [](const CatalogFile& file, const std::pair<std::int64_t, std::int64_t>& key) {
            return std::pair(file.row, file.member) < key;
        });
    if (found == files_.end() || found->row != row || found->member != member) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(found - files_.begin());
}

std::vector<CatalogCopies::Place> CatalogCopies::elsewhere(std::uint32_t ordinal) const {
    std::vector<Place> places;
    const std::uint64_t disc = groups_.discOf(ordinal);
    for (const std::size_t group : groups_.groupsOf(ordinal)) {
        const auto members = groups_.members(group);
        const auto self = std::find_if(members.begin(), members.end(),
                                       [ordinal](const auto& m) { return m.ordinal == ordinal; });
        const bool strong = self != members.end() && self->match == Match::Strong;
        for (const CopyMember& member : members) {
            if (member.disc == disc) {
                continue;
            }
            const Match match =
                strong && member.match == Match::Strong ? Match::Strong : Match::Weak;
            const auto known = std::find_if(places.begin(), places.end(), [&](const Place& p) {
                return p.ordinal == member.ordinal;
            });
            if (known == places.end()) {
                places.push_back({member.ordinal, match});
            } else if (match == Match::Strong) {
                known->match = Match::Strong;
            }
        }
    }
    std::sort(places.begin(), places.end(),
              [](const Place& a, const Place& b) { return a.ordinal < b.ordinal; });
    return places;
}

} // namespace orbisk
