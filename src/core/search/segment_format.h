#pragma once

#include "search/index_segment.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

namespace orbisk {

// The layout of a segment file. Its records are written and read whole, byte for byte as
// they lie in memory, little-endian: a change to one of them is a change of Format.
//
//   header | blocks | block directory | title table | titles and their block lists |
//   trigram table | trigrams' block lists

inline constexpr char SegmentMagic[8] = {'O', 'R', 'B', 'I', 'S', 'K', 'I', 'X'};
inline constexpr std::uint32_t SegmentFormat = 2;
// Rows per block: few enough that a block holding a rare trigram is read quickly, many
// enough that the lists of blocks stay small.
inline constexpr std::uint32_t BlockRows = 64;
// A NULL title is told by a length no title has.
inline constexpr std::uint32_t NullLength = 0xFFFFFFFF;

// The start of the file: what the segment holds and where each part lies. checksum is
// the hash of every part after the header, in the order they lie.
struct SegmentHeader {
    char magic[8];
    std::uint32_t format;
    std::uint32_t foldRules; // the folding the names were written with
    std::uint32_t kind;
    std::uint32_t blocks;
    std::uint64_t rows;
    std::uint64_t firstRow;
    std::uint64_t lastRow;
    std::uint64_t digestFirst;
    std::uint64_t digestSecond;
    std::uint64_t directoryAt;
    std::uint64_t titlesAt;
    std::uint32_t titleCount;
    std::uint32_t trigramCount;
    std::uint64_t trigramsAt;
    std::uint64_t end;
    std::uint64_t checksum;
    char unused[16];
};

// One block of the directory: where its rows lie, how many bytes and how many rows.
struct BlockEntry {
    std::uint64_t at;
    std::uint32_t bytes;
    std::uint32_t rows;
};

// One title: its text (NullLength for a NULL title) and the list of the blocks holding it.
struct TitleEntry {
    std::uint64_t textAt;
    std::uint32_t textBytes;
    std::uint32_t blocksBytes;
    std::uint64_t blocksAt;
};

// One trigram, in ascending order of trigram: the list of the blocks holding it.
struct TrigramEntry {
    std::uint32_t trigram;
    std::uint32_t blocksBytes;
    std::uint64_t blocksAt;
};

static_assert(std::endian::native == std::endian::little, "segments are little-endian");
static_assert(sizeof(SegmentHeader) == 128 && offsetof(SegmentHeader, rows) == 24 &&
              offsetof(SegmentHeader, titleCount) == 80 &&
              offsetof(SegmentHeader, checksum) == 104);
static_assert(sizeof(BlockEntry) == 16 && sizeof(TitleEntry) == 24 && sizeof(TrigramEntry) == 16);

template <class Record> void PutRecord(std::string& out, const Record& record) {
    static_assert(std::is_trivially_copyable_v<Record>);
    out.append(reinterpret_cast<const char*>(&record), sizeof record);
}

// Record number index of an array of them in bytes; IndexDamaged where bytes end first.
template <class Record> Record GetRecord(std::string_view bytes, std::size_t index) {
    static_assert(std::is_trivially_copyable_v<Record>);
    if (index >= bytes.size() / sizeof(Record)) {
        throw IndexDamaged{};
    }
    Record record;
    std::memcpy(&record, bytes.data() + index * sizeof(Record), sizeof record);
    return record;
}

} // namespace orbisk
