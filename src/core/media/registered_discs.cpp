#include "media/registered_discs.h"

#include "catalog/content_records.h"
#include "catalog/size_text.h"

namespace orbisk {

const std::vector<DiscRecord>& RegisteredDiscs::recordsOf(const std::string& title) {
    auto [at, added] = byTitle_.try_emplace(title);
    if (added) {
        try {
            Catalog catalog(catalogFile_);
            at->second = ReadDiscRecords(catalog, title, true);
        } catch (const std::exception&) {
            // No records: the files are checked by their catalogued sizes alone.
        }
    }
    return at->second;
}

const std::vector<DiscRecord>& RegisteredDiscs::all() {
    if (!all_) {
        all_.emplace();
        try {
            Catalog catalog(catalogFile_);
            *all_ = ReadDiscRecords(catalog, std::nullopt, false);
        } catch (const std::exception&) {
        }
    }
    return *all_;
}

const DiscRecord* RegisteredDiscs::recordOf(const Hit& hit) {
    for (const DiscRecord& record : recordsOf(hit.title)) {
        if (hit.row >= record.firstRow && hit.row <= record.lastRow) {
            return &record;
        }
    }
    return nullptr;
}

std::optional<FileFacts> RegisteredDiscs::keptOf(const Hit& hit) {
    const DiscRecord* record = recordOf(hit);
    if (record == nullptr) {
        return std::nullopt;
    }
    const std::vector<KeptFacts>& kept = unpacked(*record);
    const auto index = static_cast<std::size_t>(hit.row - record->firstRow);
    if (index < kept.size() && kept[index].pathCheck == PathCheck(hit.path)) {
        return kept[index].facts;
    }
    return std::nullopt;
}

std::optional<ContentFingerprint> RegisteredDiscs::contentOf(const Hit& hit) {
    const DiscRecord* record = recordOf(hit);
    // A row no registration recorded is read alone; a registration's rows all at once.
    const std::int64_t key = record ? record->registration : -hit.row;
    auto [at, added] = contents_.try_emplace(key);
    if (added) {
        try {
            Catalog catalog(catalogFile_);
            const auto rows =
                record ? std::pair(record->firstRow, record->lastRow) : std::pair(hit.row, hit.row);
            for (const StoredContent& stored : ReadContents(catalog, rows)) {
                at->second.emplace(std::pair(stored.fileRow, stored.member), stored.content);
            }
        } catch (const std::exception&) {
            // No fingerprint: the file is checked by its size and date alone.
        }
    }
    const auto found = at->second.find({hit.row, hit.member});
    return found == at->second.end() ? std::nullopt
                                     : std::optional<ContentFingerprint>(found->second);
}

std::string RegisteredDiscs::elsewhereOf(const Hit& hit) {
    if (!copies_) {
        try {
            Catalog catalog(catalogFile_);
            copies_ = CatalogCopies::Find(catalog);
        } catch (const std::exception&) {
        }
        if (!copies_) {
            return "";
        }
    }
    const auto ordinal = copies_->ordinalOf(hit.row, hit.member);
    std::string text;
    for (const auto& place :
         ordinal ? copies_->elsewhere(*ordinal) : std::vector<CatalogCopies::Place>{}) {
        const CatalogFile& file = copies_->files()[place.ordinal];
        text += (text.empty() ? "" : "、") + ("「" + file.title + "」") + file.path +
                (file.member == 0 ? "" : "/" + file.memberPath);
    }
    return text;
}

std::string RegisteredDiscs::keptFactsOf(const DiscRecord& record) {
    if (!record.keptFacts.empty()) {
        return record.keptFacts;
    }
    try {
        Catalog catalog(catalogFile_);
        return ReadKeptFacts(catalog, record.registration);
    } catch (const std::exception&) {
        return "";
    }
}

const std::vector<KeptFacts>& RegisteredDiscs::unpacked(const DiscRecord& record) {
    auto [at, added] = kept_.try_emplace(record.registration);
    if (added) {
        at->second = UnpackKeptFacts(record.keptFacts).value_or(std::vector<KeptFacts>{});
    }
    return at->second;
}

HitSize SizeOfHit(const Hit& hit, RegisteredDiscs& registered) {
    if (hit.member != 0) {
        return {static_cast<std::int64_t>(Kilobytes(hit.memberBytes)), hit.memberBytes};
    }
    HitSize size;
    if (hit.size.find_first_of("0123456789") != std::string::npos) {
        size.kilobytes = KilobytesOf(hit.size);
    }
    if (const auto kept = registered.keptOf(hit)) {
        size.bytes = kept->bytes;
    }
    return size;
}

} // namespace orbisk
