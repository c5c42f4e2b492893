#pragma once

#include "platform/file_system.h"
#include "search/index_text.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orbisk {

class WildcardPattern;

// The rows of a name index come in kinds, each with ids of its own.
enum class IndexKind : std::uint32_t { Files = 0, Members = 1 };

// The index is damaged or not one: it is only derived, so it is made again.
struct IndexDamaged {};

// What a segment holds: rows of one kind, first to last, and what they add up to.
struct SegmentSummary {
    IndexKind kind = IndexKind::Files;
    std::int64_t firstRow = 0;
    std::int64_t lastRow = 0;
    std::int64_t rows = 0;
    Digest digest;
    std::uint64_t checksum = 0;
};

// A search put to a segment: the pattern of the key, the byte trigrams every matching name
// holds, and the folded title when the search is for one title.
struct IndexQuery {
    const WildcardPattern& pattern;
    std::vector<std::uint32_t> trigrams;
    std::optional<std::u32string> foldedTitle;
};

// Builds one segment from rows given in ascending order: the rows, each with its title and
// its name folded, in blocks of a few dozen; for each byte trigram and each title, the
// blocks that hold it; and what the rows add up to. The blocks hold the rows in the order
// of their names, not of their ids, so that names alike share blocks and a key's trigrams
// meet in few of them.
class SegmentBuilder {
public:
    explicit SegmentBuilder(IndexKind kind) : kind_(kind) {}

    // A NULL name matches no key; a NULL title no title.
    void add(std::int64_t row, Field name, Field title);
    std::int64_t rows() const { return summary_.rows; }
    // Writes the segment and commits the file; the builder is empty again afterwards.
    SegmentSummary write(FileWriter& file);

private:
    struct Entry {
        std::string text; // folded
        std::int64_t row;
        std::uint32_t title;
        bool null;
    };

    IndexKind kind_;
    SegmentSummary summary_;
    std::vector<Entry> entries_;
    std::vector<std::string> titles_;
    std::vector<bool> nullTitles_;
    std::unordered_map<std::string, std::uint32_t> titleIds_;
    std::optional<std::uint32_t> nullTitle_;
};

// A segment file, read where it lies on disk with plain reads, never mapped: a file cut
// short or changed by anyone meanwhile gives short or odd reads, which are found out,
// where a mapping would end the program. What a search looks up first (the header, the
// block directory, the titles and every 64th trigram) is kept in memory; the trigrams,
// their block lists and the blocks are read as a search needs them. Every offset is
// checked against the file's size, so a damaged file is found out rather than read past
// its end.
class Segment {
public:
    // Throws IndexDamaged when the file is not a segment of this program's format or
    // cannot be read.
    explicit Segment(std::unique_ptr<ReadableFile> file);

    const SegmentSummary& summary() const { return summary_; }
    // Whether every byte is as written.
    bool intact() const;

    // Calls onRow for each row, in no particular order, whose title matches (every title when the
    // query names none) and whose name the pattern matches; false from onRow stops. Throws
    // IndexDamaged.
    void find(const IndexQuery& query, const std::function<bool(std::int64_t row)>& onRow) const;

private:
    // The bytes [at, at + size) of the file; IndexDamaged where the file ends first or
    // cannot be read.
    std::string read(std::uint64_t at, std::uint64_t size) const;
    // The same into the start of bytes, whose room is used again.
    std::string_view readInto(std::uint64_t at, std::uint64_t size, std::string& bytes) const;
    std::vector<std::uint32_t> postings(std::string_view encoded) const;
    // The block list of trigram, or nothing when no block holds it.
    std::optional<std::pair<std::uint32_t, std::uint64_t>>
    trigramEntry(std::uint32_t trigram) const;
    std::vector<std::uint32_t> candidateBlocks(const IndexQuery& query,
                                               std::vector<char>& titles) const;
    template <class OnRow>
    void decodeBlock(std::string_view block, std::uint32_t rows, OnRow&& onRow) const;

    std::unique_ptr<ReadableFile> file_;
    SegmentSummary summary_;
    std::size_t blockCount_ = 0;
    std::uint64_t directory_ = 0;
    std::uint64_t titles_ = 0;
    std::uint32_t titleCount_ = 0;
    std::uint64_t trigrams_ = 0;
    std::uint32_t trigramCount_ = 0;
    std::uint64_t end_ = 0;
    std::uint64_t bodyChecksum_ = 0;
    std::string directoryBytes_; // the block directory
    std::string titleBytes_;     // the title table and the titles' names and block lists
    std::vector<std::uint32_t> trigramSample_; // the trigram of every 64th entry
    std::vector<bool> nullTitles_;
    std::vector<std::u32string> foldedTitles_;
};

} // namespace orbisk
