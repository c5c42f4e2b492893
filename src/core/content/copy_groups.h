#pragma once

#include "content/compact_rows.h"
#include "content/content_fingerprint.h"

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace orbisk {

// One file of the catalogue as the search for its copies sees it.
struct FileCopy {
    std::uint64_t row = 0;  // the caller's reference to it, one per file (a file row or a
                            // packed file: the caller tells them apart)
    std::uint64_t disc = 0; // the disc it is on
    std::uint64_t bytes = 0;
    std::int64_t modified = 0; // seconds since 1970-01-01 00:00 UTC
    std::string_view name;     // its name's bytes, as stored (no folder)
    std::optional<ContentFingerprint> content;
};

// How surely two files hold the same thing.
enum class Match : std::uint8_t {
    None,
    Weak,  // the same name (as FIND compares names), size and date (SameDate), where one
           // of the two has no fingerprint
    Strong // the same content fingerprint
};

struct CopyMember {
    std::uint32_t ordinal = 0; // its place in the finder's pass
    std::uint64_t row = 0;
    std::uint64_t disc = 0;
    // Strong: it holds the group's content by its fingerprint. Weak: it has no fingerprint
    // and agrees in name, size and date with a member that holds the content (or, in a
    // group without content, with the group's earliest member).
    Match match = Match::Weak;
};

// The files held on more than one disc, as groups of the same file, in the pass's order of
// their first members. Rows are asked by their ordinal: the place of the row in the
// finder's pass, which add() returned.
class CopyGroups {
public:
    std::size_t size() const { return flags_.size(); }
    // The content the group's strong members hold; nothing for a group known by name,
    // size and date alone, whose members are all weak.
    std::optional<ContentFingerprint> content(std::size_t group) const;
    // The group's members in the order of the pass.
    std::vector<CopyMember> members(std::size_t group) const;

    // How surely another disc holds the file: Strong where a strong member on another disc
    // shares its own fingerprint, Weak where another disc has it by name, size and date
    // only, None where no other disc has it.
    Match elsewhere(std::uint32_t ordinal) const;
    // The files of the disc that no other disc holds, strongly or weakly: what would be
    // lost with it. Ordinals, in the pass's order.
    std::vector<std::uint32_t> onlyOn(std::uint64_t disc) const;
    // The groups it is in, in group order: none, one, or several for a file without a
    // fingerprint whose name, size and date agree with files of different contents.
    std::vector<std::size_t> groupsOf(std::uint32_t ordinal) const;

    std::uint64_t rowOf(std::uint32_t ordinal) const { return rows_[ordinal]; }
    std::uint64_t discOf(std::uint32_t ordinal) const { return discs_[ordinal]; }
    // The ordinal of a row: quick where the rows came in ascending order, else a scan.
    std::optional<std::uint32_t> ordinalOf(std::uint64_t row) const;

private:
    friend class CopyFinder;
    enum Flag : std::uint8_t { HasContent = 1, StrongElsewhere = 2, AnyElsewhere = 4 };
    struct Membership {
        std::uint32_t ordinal;
        std::uint32_t group;
    };

    std::vector<std::uint32_t> members_; // ordinals, with Attached for a weak member
    std::vector<std::uint32_t> starts_;  // each group's first member
    std::vector<std::uint8_t> flags_;
    std::vector<std::uint32_t> contentOf_; // each group's place in contents_
    std::vector<ContentFingerprint> contents_;
    std::vector<Membership> memberships_; // by ordinal, then group
    NumberRun rows_;
    RunValues discs_;
    bool rowsAscend_ = true;
};

// Finds the files a catalogue holds on more than one disc, taking its rows in one pass.
// Two files are the same by their content fingerprints where both have one (and are not
// empty: any two empty files agree in content, which says nothing of their being the
// same file); else by name, size and date, the weaker match. Files of one name and size
// are taken in date order: each joins the earliest file before it whose date is the same
// by SameDate and that began a group of its own, else begins one. Groups whose members
// all lie on one disc are left out.
//
// Memory while the rows come in: 14 bytes a row, 20 more a row with a fingerprint, and
// its row id and disc in one or two bytes where row ids ascend and a disc's rows come
// together (up to 26 where neither holds); names are not kept. Then the groups: 12 bytes a
// member and 9 a group. A name is compared by a 48-bit hash of its folding and its size,
// a fingerprint whole. Dates before 1970 or after 2106 are the same only to the second.
class CopyFinder {
public:
    explicit CopyFinder(std::size_t expectedRows = 0);
    CopyFinder(const CopyFinder&) = delete;
    CopyFinder& operator=(const CopyFinder&) = delete;

    // Takes a row; returns its ordinal (0 for the first row, and so on).
    std::uint32_t add(const FileCopy& file);
    // The groups; nothing when stopped first. The finder is used up.
    std::optional<CopyGroups> finish(std::stop_token stop = {});

    // The bytes it holds now, for a benchmark.
    std::size_t bytes() const;

private:
#pragma pack(push, 2)
    // A row by its name, size and date, in 14 bytes: the name's hash (48 bits) and the
    // date's upper half in key, so that the three sort as one number.
    struct Named {
        std::uint64_t key;
        std::uint16_t dateLow;
        std::uint32_t ordinal;
    };
#pragma pack(pop)
#pragma pack(push, 4)
    // A row by its content, or a row without one attached to a content: 20 bytes.
    struct Content {
        std::uint64_t high;
        std::uint64_t low;
        std::uint32_t ordinal; // with Attached for a weak member
    };
#pragma pack(pop)

    std::size_t groupByName(const std::stop_token& stop, GrowingArray<Content>& attached);

    GrowingArray<Named> named_;
    GrowingArray<Content> contents_; // rows with a fingerprint, in pass order
    NumberRun rows_;
    RunValues discs_;
    Marks hasContent_;
    bool rowsAscend_ = true;
    std::string folded_;
    std::u32string decoded_;
};

} // namespace orbisk
