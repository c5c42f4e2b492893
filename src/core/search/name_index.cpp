#include "search/name_index.h"

#include "search/hit_table.h"
#include "search/index_state.h"
#include "text/text_fold.h"
#include "text/wildcard_pattern.h"

#include <algorithm>
#include <cstdio>

namespace orbisk {

namespace {

// The trigrams every matching name holds: those of the key's runs of ordinary characters,
// folded and written as the index writes names.
std::vector<std::uint32_t> trigramsOf(const WildcardPattern& pattern) {
    std::vector<std::uint32_t> trigrams;
    for (const std::u32string& run : pattern.literalRuns()) {
        AppendTrigrams(EncodeIndexText(run), trigrams);
    }
    std::sort(trigrams.begin(), trigrams.end());
    trigrams.erase(std::unique(trigrams.begin(), trigrams.end()), trigrams.end());
    return trigrams;
}

} // namespace

std::filesystem::path IndexFolderFor(const std::filesystem::path& catalogFile,
                                     const std::filesystem::path& cacheFolder) {
    // FNV-1a over the catalogue's full path.
    std::uint64_t hash = 14695981039346656037ULL;
    for (const unsigned char c :
         std::filesystem::absolute(catalogFile).lexically_normal().string()) {
        hash = (hash ^ c) * 1099511628211ULL;
    }
    char name[32];
    std::snprintf(name, sizeof name, "%016llx.names", static_cast<unsigned long long>(hash));
    return cacheFolder / name;
}

NameIndex::NameIndex(std::filesystem::path folder, std::filesystem::path catalogFile,
                     FileSystem& files)
    : folder_(std::move(folder)), catalogFile_(std::move(catalogFile)), files_(files) {}

NameIndex::~NameIndex() = default;

void NameIndex::distrust() {
    const std::lock_guard lock(mutex_);
    trusted_.reset();
}

std::optional<IndexAnswer> NameIndex::candidates(const std::string& key,
                                                 const std::optional<std::string>& title) const {
    std::shared_ptr<const State> state;
    {
        const std::lock_guard lock(mutex_);
        state = trusted_;
    }
    if (!state || stamps() != state->stamps) {
        return std::nullopt;
    }
    try {
        const WildcardPattern pattern(key, WildcardPattern::Syntax::Like);
        IndexQuery query{pattern, trigramsOf(pattern), std::nullopt};
        if (title) {
            query.foldedTitle = FoldedText(*title);
        }
        IndexAnswer answer;
        for (const IndexKind kind : {IndexKind::Files, IndexKind::Members}) {
            std::vector<std::int64_t>& rows =
                kind == IndexKind::Files ? answer.files : answer.members;
            for (const auto& segment : state->segments) {
                if (segment->summary().kind != kind || answer.size() > MostHits) {
                    continue;
                }
                // One past the most a search holds tells the search there are too many.
                const std::size_t before = rows.size();
                segment->find(query, [&answer, &rows](std::int64_t row) {
                    rows.push_back(row);
                    return answer.size() <= MostHits;
                });
                // A segment gives its rows in the order of their names; the segments follow
                // one another in row order.
                std::sort(rows.begin() + static_cast<std::ptrdiff_t>(before), rows.end());
            }
        }
        // Changed while it was read: in doubt.
        if (stamps() != state->stamps) {
            return std::nullopt;
        }
        // A segment changed or cut by another program: the index is proved again, wholly,
        // by the next update.
        for (std::size_t i = 0; i < state->listed.size(); ++i) {
            if (files_.fileStamp((folder_ / state->listed[i].file).string()) !=
                state->segmentLooks[i]) {
                throw IndexDamaged{};
            }
        }
        return answer;
    } catch (const IndexDamaged&) {
        const std::lock_guard lock(mutex_);
        if (trusted_ == state) {
            trusted_.reset();
        }
        damaged_ = true;
        return std::nullopt;
    }
}

bool NameIndex::trusted() const {
    std::shared_ptr<const State> state;
    {
        const std::lock_guard lock(mutex_);
        state = damaged_ ? nullptr : trusted_;
    }
    return state != nullptr && stamps() == state->stamps;
}

} // namespace orbisk
