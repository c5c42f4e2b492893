#include "content/copy_groups.h"

#include "content/bucket_sort.h"
#include "media/disc_identity.h"
#include "text/text_fold.h"
#include "text/unicode_text.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>
#include <xxhash.h>

namespace orbisk {

namespace {

// Marks an ordinal as a weak member, and ends a group of them.
constexpr std::uint32_t Attached = 0x80000000u;

// A date that does not fit the four bytes a row keeps (before 1970, after 2106): such rows
// are the same only at exactly the same second, which their key then holds.
constexpr std::uint32_t OddDate = 0xFFFFFFFFu;

// The farthest apart two dates that SameDate takes for the same can be: 26 hours and two
// seconds.
constexpr std::uint32_t SameDateSpan = 26 * 3600 + 2;

bool sameDate(std::uint32_t a, std::uint32_t b) {
    if (a == OddDate || b == OddDate) {
        return a == b;
    }
    return SameDate(a, b);
}

} // namespace

std::optional<ContentFingerprint> CopyGroups::content(std::size_t group) const {
    if ((flags_[group] & HasContent) == 0) {
        return std::nullopt;
    }
    return contents_[contentOf_[group]];
}

std::vector<CopyMember> CopyGroups::members(std::size_t group) const {
    std::vector<CopyMember> out;
    const std::uint32_t end = group + 1 < starts_.size()
                                  ? starts_[group + 1]
                                  : static_cast<std::uint32_t>(members_.size());
    for (std::uint32_t i = starts_[group]; i < end; ++i) {
        const std::uint32_t ordinal = members_[i] & ~Attached;
        out.push_back({ordinal, rows_[ordinal], discs_[ordinal],
                       (members_[i] & Attached) != 0 ? Match::Weak : Match::Strong});
    }
    return out;
}

Match CopyGroups::elsewhere(std::uint32_t ordinal) const {
    Match best = Match::None;
    auto at = std::lower_bound(memberships_.begin(), memberships_.end(), ordinal,
                               [](const Membership& m, std::uint32_t o) { return m.ordinal < o; });
    for (; at != memberships_.end() && at->ordinal == ordinal; ++at) {
        const std::uint8_t flags = flags_[at->group & ~Attached];
        const bool strong = (at->group & Attached) == 0;
        const Match here = strong && (flags & StrongElsewhere) != 0 ? Match::Strong
                           : (flags & AnyElsewhere) != 0            ? Match::Weak
                                                                    : Match::None;
        best = std::max(best, here);
    }
    return best;
}

std::vector<std::uint32_t> CopyGroups::onlyOn(std::uint64_t disc) const {
    std::vector<std::uint32_t> only;
    for (const auto& [first, end] : discs_.rangesOf(disc)) {
        for (std::size_t ordinal = first; ordinal < end; ++ordinal) {
            if (elsewhere(static_cast<std::uint32_t>(ordinal)) == Match::None) {
                only.push_back(static_cast<std::uint32_t>(ordinal));
            }
        }
    }
    return only;
}

std::vector<std::size_t> CopyGroups::groupsOf(std::uint32_t ordinal) const {
    std::vector<std::size_t> groups;
    auto at = std::lower_bound(memberships_.begin(), memberships_.end(), ordinal,
                               [](const Membership& m, std::uint32_t o) { return m.ordinal < o; });
    for (; at != memberships_.end() && at->ordinal == ordinal; ++at) {
        groups.push_back(at->group & ~Attached);
    }
    return groups;
}

std::optional<std::uint32_t> CopyGroups::ordinalOf(std::uint64_t row) const {
    const auto found = rows_.find(row, rowsAscend_);
    return found ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(*found)) : std::nullopt;
}

CopyFinder::CopyFinder(std::size_t expectedRows) {
    named_.reserve(expectedRows);
}

std::size_t CopyFinder::bytes() const {
    return named_.bytes() + contents_.bytes() + rows_.bytes() + discs_.bytes() +
           hasContent_.bytes();
}

std::uint32_t CopyFinder::add(const FileCopy& file) {
    if (rows_.size() >= Attached) {
        throw std::length_error("more files than a search for copies takes");
    }
    // The name as FIND compares it, in UTF-8: ASCII folded here, the rest by the rule.
    folded_.clear();
    if (IsAscii(file.name)) {
        for (const char c : file.name) {
            folded_ += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
        }
    } else {
        decoded_.clear();
        DecodeUtf8(file.name, decoded_);
        FoldText(decoded_);
        for (const char32_t c : decoded_) {
            AppendUtf8(folded_, c);
        }
    }
    std::uint64_t hash = XXH3_64bits_withSeed(folded_.data(), folded_.size(), file.bytes);
    std::uint32_t date = OddDate;
    if (file.modified >= 0 && file.modified < static_cast<std::int64_t>(OddDate)) {
        date = static_cast<std::uint32_t>(file.modified);
    } else {
        hash = XXH3_64bits_withSeed(&file.modified, sizeof file.modified, hash);
    }
    const auto ordinal = static_cast<std::uint32_t>(rows_.size());
    named_.push_back({(hash & ~std::uint64_t{0xFFFF}) | (date >> 16),
                      static_cast<std::uint16_t>(date & 0xFFFF), ordinal});
    const bool content = file.content && file.bytes > 0;
    if (content) {
        contents_.push_back({file.content->high, file.content->low, ordinal});
    }
    hasContent_.push_back(content);
    if (rows_.size() > 0 && file.row <= rows_.back()) {
        rowsAscend_ = false;
    }
    rows_.push_back(file.row);
    discs_.push_back(file.disc);
    return ordinal;
}

// Rows of one name, size and date: those without a fingerprint are the same file as the
// others. Where the others have fingerprints, they join each of those contents as weak
// members (attached); where none has one, they are a group of their own. Those groups are
// written over the rows already looked at, as ordinals each group ended by Attached, and
// their count returned.
std::size_t CopyFinder::groupByName(const std::stop_token& stop, GrowingArray<Content>& attached) {
    BucketSort(
        named_.begin(), named_.end(), [](const Named& r) { return r.key >> 48; },
        [](const Named& a, const Named& b) {
            return a.key != b.key           ? a.key < b.key
                   : a.dateLow != b.dateLow ? a.dateLow < b.dateLow
                                            : a.ordinal < b.ordinal;
        });
    auto* written = reinterpret_cast<unsigned char*>(named_.begin());
    std::size_t count = 0;
    const auto write = [&](std::uint32_t value) {
        std::memcpy(written + count * sizeof value, &value, sizeof value);
        ++count;
    };
    const auto dateOf = [](const Named& r) {
        return static_cast<std::uint32_t>((r.key & 0xFFFF) << 16 | r.dateLow);
    };
    std::vector<ContentFingerprint> found;
    std::vector<std::uint32_t> plain;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> anchors;  // place in the run, cluster
    std::vector<std::pair<std::uint32_t, std::uint32_t>> clusters; // cluster, ordinal
    const std::size_t rows = named_.size();
    for (std::size_t first = 0, end = 0; first < rows; first = end) {
        if ((first & 0xFFFF) == 0 && stop.stop_requested()) {
            return 0;
        }
        const std::uint64_t name = named_[first].key >> 16;
        end = first + 1;
        while (end < rows && named_[end].key >> 16 == name) {
            ++end;
        }
        if (end - first < 2) {
            continue;
        }
        // In date order, each row joins the earliest row before it whose date is the same
        // and that began a cluster; else it begins one. Rows more than a day and a bit
        // before it can be the same date no more. The run's rows are all read here, before
        // anything is written over them below.
        anchors.clear();
        clusters.clear();
        std::size_t open = 0;
        std::uint32_t clusterCount = 0;
        for (std::size_t i = first; i < end; ++i) {
            const std::uint32_t date = dateOf(named_[i]);
            while (open < anchors.size() && date != OddDate &&
                   date - dateOf(named_[first + anchors[open].first]) > SameDateSpan) {
                ++open;
            }
            std::uint32_t cluster = clusterCount;
            for (std::size_t a = open; a < anchors.size(); ++a) {
                if (sameDate(dateOf(named_[first + anchors[a].first]), date)) {
                    cluster = anchors[a].second;
                    break;
                }
            }
            const auto place = static_cast<std::uint32_t>(i - first);
            if (cluster == clusterCount) {
                anchors.emplace_back(place, clusterCount++);
            }
            const std::uint32_t ordinal = named_[i].ordinal; // a copy: packed, not aligned
            clusters.emplace_back(cluster, ordinal);
        }
        if (clusterCount == clusters.size()) {
            continue; // no two rows alike
        }
        std::sort(clusters.begin(), clusters.end());
        for (std::size_t c = 0, next = 0; c < clusters.size(); c = next) {
            next = c + 1;
            while (next < clusters.size() && clusters[next].first == clusters[c].first) {
                ++next;
            }
            if (next - c < 2) {
                continue;
            }
            found.clear();
            plain.clear();
            for (std::size_t k = c; k < next; ++k) {
                const std::uint32_t ordinal = clusters[k].second;
                if (hasContent_.marked(ordinal)) {
                    const Content& content = contents_[hasContent_.rank(ordinal)];
                    found.push_back({content.high, content.low});
                } else {
                    plain.push_back(ordinal);
                }
            }
            if (plain.empty()) {
                continue; // their fingerprints tell
            }
            if (found.empty()) {
                // At most eight bytes written for each row of fourteen read.
                for (const std::uint32_t ordinal : plain) {
                    write(ordinal);
                }
                write(Attached);
                continue;
            }
            std::sort(found.begin(), found.end());
            found.erase(std::unique(found.begin(), found.end()), found.end());
            for (const ContentFingerprint& content : found) {
                for (const std::uint32_t ordinal : plain) {
                    attached.push_back({content.high, content.low, ordinal | Attached});
                }
            }
        }
    }
    return count;
}

std::optional<CopyGroups> CopyFinder::finish(std::stop_token stop) {
    GrowingArray<Content> attached;
    const std::size_t namedCount = groupByName(stop, attached);
    if (stop.stop_requested()) {
        return std::nullopt;
    }
    named_.shrink((namedCount * sizeof(std::uint32_t) + sizeof(Named) - 1) / sizeof(Named));
    const auto* namedGroups = reinterpret_cast<const unsigned char*>(named_.begin());
    const auto namedAt = [&](std::size_t i) {
        std::uint32_t value = 0;
        std::memcpy(&value, namedGroups + i * sizeof value, sizeof value);
        return value;
    };

    // Every content with its strong members first, then its attached ones, each by place.
    contents_.reserve(contents_.size() + attached.size());
    for (const Content& c : attached) {
        contents_.push_back(c);
    }
    attached.release();
    BucketSort(
        contents_.begin(), contents_.end(), [](const Content& c) { return c.high >> 48; },
        [](const Content& a, const Content& b) {
            return a.high != b.high ? a.high < b.high
                   : a.low != b.low ? a.low < b.low
                                    : a.ordinal < b.ordinal;
        });
    if (stop.stop_requested()) {
        return std::nullopt;
    }

    // The groups that span discs, as places in contents_ or in the named groups, in the
    // order of their first members in the pass.
    struct Candidate {
        std::uint32_t first; // the first member's ordinal
        std::uint32_t from;
        std::uint32_t count; // with Attached for a named group
    };
    std::vector<Candidate> candidates;
    const auto consider = [&](std::uint32_t from, std::uint32_t count, bool named, auto ordinalAt) {
        std::uint32_t firstOrdinal = ordinalAt(0);
        const std::uint64_t disc = discs_[firstOrdinal];
        bool spans = false;
        for (std::uint32_t i = 1; i < count; ++i) {
            const std::uint32_t ordinal = ordinalAt(i);
            firstOrdinal = std::min(firstOrdinal, ordinal);
            spans = spans || discs_[ordinal] != disc;
        }
        if (spans) {
            candidates.push_back({firstOrdinal, from, count | (named ? Attached : 0)});
        }
    };
    for (std::size_t first = 0, end = 0; first < contents_.size(); first = end) {
        end = first + 1;
        while (end < contents_.size() && contents_[end].high == contents_[first].high &&
               contents_[end].low == contents_[first].low) {
            ++end;
        }
        if (end - first >= 2) {
            consider(static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(end - first),
                     false,
                     [&](std::uint32_t i) { return contents_[first + i].ordinal & ~Attached; });
        }
    }
    for (std::size_t first = 0, end = 0; first < namedCount; first = end + 1) {
        end = first;
        while (namedAt(end) != Attached) {
            ++end;
        }
        consider(static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(end - first), true,
                 [&](std::uint32_t i) { return namedAt(first + i); });
    }
    // Ordinals run from 0 to the rows' count: their top sixteen bits make the buckets.
    const int shift = std::max(0, static_cast<int>(std::bit_width(rows_.size())) - 16);
    // Two groups may begin with the same file (one without a fingerprint, attached to two
    // contents): the content's order then.
    BucketSort(
        candidates.data(), candidates.data() + candidates.size(),
        [shift](const Candidate& c) { return c.first >> shift; },
        [](const Candidate& a, const Candidate& b) {
            return a.first != b.first   ? a.first < b.first
                   : a.count != b.count ? a.count < b.count
                                        : a.from < b.from;
        });
    if (stop.stop_requested()) {
        return std::nullopt;
    }

    CopyGroups groups;
    groups.flags_.reserve(candidates.size());
    groups.starts_.reserve(candidates.size());
    groups.contentOf_.reserve(candidates.size());
    std::vector<std::uint32_t> own; // ordinals, with Attached for a weak member
    std::vector<std::uint64_t> strongDiscs;
    std::size_t memberCount = 0;
    for (const Candidate& candidate : candidates) {
        memberCount += candidate.count & ~Attached;
    }
    groups.members_.reserve(memberCount);
    groups.memberships_.reserve(memberCount);
    for (const Candidate& candidate : candidates) {
        const bool named = (candidate.count & Attached) != 0;
        const std::uint32_t count = candidate.count & ~Attached;
        own.clear();
        for (std::uint32_t i = 0; i < count; ++i) {
            own.push_back(named ? namedAt(candidate.from + i) | Attached
                                : contents_[candidate.from + i].ordinal);
        }
        std::sort(own.begin(), own.end(), [](std::uint32_t a, std::uint32_t b) {
            return (a & ~Attached) < (b & ~Attached);
        });
        const auto group = static_cast<std::uint32_t>(groups.flags_.size());
        std::uint8_t flags = CopyGroups::AnyElsewhere;
        groups.contentOf_.push_back(static_cast<std::uint32_t>(groups.contents_.size()));
        if (!named) {
            flags |= CopyGroups::HasContent;
            const Content& c = contents_[candidate.from];
            groups.contents_.push_back({c.high, c.low});
        }
        groups.starts_.push_back(static_cast<std::uint32_t>(groups.members_.size()));
        strongDiscs.clear();
        for (const std::uint32_t member : own) {
            groups.members_.push_back(member);
            groups.memberships_.push_back({member & ~Attached, group | (member & Attached)});
            if ((member & Attached) == 0) {
                strongDiscs.push_back(discs_[member]);
            }
        }
        std::sort(strongDiscs.begin(), strongDiscs.end());
        if (std::unique(strongDiscs.begin(), strongDiscs.end()) - strongDiscs.begin() > 1) {
            flags |= CopyGroups::StrongElsewhere;
        }
        groups.flags_.push_back(flags);
    }
    candidates = {};
    contents_.release();
    named_.release();
    BucketSort(
        groups.memberships_.data(), groups.memberships_.data() + groups.memberships_.size(),
        [shift](const CopyGroups::Membership& m) { return m.ordinal >> shift; },
        [](const CopyGroups::Membership& a, const CopyGroups::Membership& b) {
            return a.ordinal != b.ordinal ? a.ordinal < b.ordinal : a.group < b.group;
        });
    groups.rows_ = std::move(rows_);
    groups.discs_ = std::move(discs_);
    groups.rowsAscend_ = rowsAscend_;
    return groups;
}

} // namespace orbisk
