#include "search/index_segment.h"
#include "search/segment_format.h"
#include "text/byte_codes.h"
#include "text/text_fold.h"
#include "text/unicode_text.h"
#include "text/wildcard_pattern.h"

#include <algorithm>
#include <cstring>

namespace orbisk {

namespace {

// Trigrams of the table kept in memory: every this many entries, one.
constexpr std::uint32_t TrigramStride = 64;
// Blocks that lie this close are read in one go.
constexpr std::uint64_t ReadGap = 4096;
constexpr std::uint64_t LongestRead = 256 * 1024;

} // namespace

Segment::Segment(std::unique_ptr<ReadableFile> file) : file_(std::move(file)) {
    const auto header = GetRecord<SegmentHeader>(read(0, sizeof(SegmentHeader)), 0);
    if (std::memcmp(header.magic, SegmentMagic, sizeof SegmentMagic) != 0 ||
        header.format != SegmentFormat ||
        header.foldRules != static_cast<std::uint32_t>(FoldRuleVersion)) {
        throw IndexDamaged{};
    }
    summary_.kind = static_cast<IndexKind>(header.kind);
    blockCount_ = header.blocks;
    summary_.rows = static_cast<std::int64_t>(header.rows);
    summary_.firstRow = static_cast<std::int64_t>(header.firstRow);
    summary_.lastRow = static_cast<std::int64_t>(header.lastRow);
    summary_.digest = {header.digestFirst, header.digestSecond};
    directory_ = header.directoryAt;
    titles_ = header.titlesAt;
    titleCount_ = header.titleCount;
    trigramCount_ = header.trigramCount;
    trigrams_ = header.trigramsAt;
    end_ = header.end;
    bodyChecksum_ = header.checksum;
    summary_.checksum = bodyChecksum_;
    const bool fits = end_ == file_->size() && directory_ >= sizeof(SegmentHeader) &&
                      directory_ + blockCount_ * sizeof(BlockEntry) <= titles_ &&
                      titles_ + std::uint64_t{titleCount_} * sizeof(TitleEntry) <= trigrams_ &&
                      trigrams_ + std::uint64_t{trigramCount_} * sizeof(TrigramEntry) <= end_;
    if (!fits) {
        throw IndexDamaged{};
    }
    directoryBytes_ = read(directory_, blockCount_ * sizeof(BlockEntry));
    // The title table, the titles and their block lists lie between it and the trigrams.
    titleBytes_ = read(titles_, trigrams_ - titles_);
    for (std::uint32_t id = 0; id < titleCount_; ++id) {
        const auto entry = GetRecord<TitleEntry>(titleBytes_, id);
        const std::uint64_t at = entry.textAt;
        const std::uint32_t size = entry.textBytes;
        const bool null = size == NullLength;
        if (!null && (at < titles_ || at + size > trigrams_)) {
            throw IndexDamaged{};
        }
        nullTitles_.push_back(null);
        foldedTitles_.push_back(FoldedText(
            null ? std::string_view() : std::string_view(titleBytes_).substr(at - titles_, size)));
    }
    // Every 64th trigram, read from the table in pieces, so that a look-up reads one
    // stretch of the table.
    const std::uint64_t piece = std::uint64_t{TrigramStride} * sizeof(TrigramEntry) * 256;
    const std::uint64_t table = std::uint64_t{trigramCount_} * sizeof(TrigramEntry);
    for (std::uint64_t from = 0; from < table; from += piece) {
        const std::string entries = read(trigrams_ + from, std::min(piece, table - from));
        for (std::size_t at = 0; at < entries.size() / sizeof(TrigramEntry); at += TrigramStride) {
            trigramSample_.push_back(GetRecord<TrigramEntry>(entries, at).trigram);
        }
    }
}

std::string Segment::read(std::uint64_t at, std::uint64_t size) const {
    std::string bytes;
    readInto(at, size, bytes);
    return bytes;
}

std::string_view Segment::readInto(std::uint64_t at, std::uint64_t size, std::string& bytes) const {
    // Within the file as it was when opened (its header says the same of itself).
    const std::uint64_t whole = file_->size();
    if (at > whole || size > whole - at) {
        throw IndexDamaged{};
    }
    // A buffer used again only grows: it is not filled anew before each read.
    if (bytes.size() < size) {
        bytes.resize(static_cast<std::size_t>(size));
    }
    try {
        if (file_->read(at, bytes.data(), static_cast<std::size_t>(size)) != size) {
            throw IndexDamaged{}; // cut short since it was opened
        }
    } catch (const FileError&) {
        throw IndexDamaged{};
    }
    return {bytes.data(), static_cast<std::size_t>(size)};
}

bool Segment::intact() const {
    std::uint64_t checksum = 0;
    // The sections were hashed one after another as they were written; their bounds are
    // the header's offsets.
    const std::uint64_t titleDataAt = titles_ + std::uint64_t{titleCount_} * sizeof(TitleEntry);
    const std::uint64_t trigramDataAt =
        trigrams_ + std::uint64_t{trigramCount_} * sizeof(TrigramEntry);
    const std::uint64_t bounds[] = {
        sizeof(SegmentHeader), directory_, titles_, titleDataAt, trigrams_, trigramDataAt, end_};
    try {
        for (std::size_t i = 0; i + 1 < std::size(bounds); ++i) {
            if (bounds[i] > bounds[i + 1]) {
                return false;
            }
            checksum = HashBytes(checksum, read(bounds[i], bounds[i + 1] - bounds[i]));
        }
    } catch (const IndexDamaged&) {
        return false;
    }
    return checksum == bodyChecksum_;
}

std::vector<std::uint32_t> Segment::postings(std::string_view encoded) const {
    std::vector<std::uint32_t> blocks;
    const char* at = encoded.data();
    const char* end = at + encoded.size();
    std::uint64_t block = 0;
    for (bool first = true; at < end; first = false) {
        std::uint64_t gap = 0;
        if (!GetVarint(at, end, gap)) {
            throw IndexDamaged{};
        }
        block = first ? gap : block + gap;
        if (block >= blockCount_) {
            throw IndexDamaged{};
        }
        blocks.push_back(static_cast<std::uint32_t>(block));
    }
    return blocks;
}

std::optional<std::pair<std::uint32_t, std::uint64_t>>
Segment::trigramEntry(std::uint32_t trigram) const {
    // The stretch of the table that holds it, if any entry does.
    const auto after = std::upper_bound(trigramSample_.begin(), trigramSample_.end(), trigram);
    if (after == trigramSample_.begin()) {
        return std::nullopt;
    }
    const std::uint64_t first =
        static_cast<std::uint64_t>(after - trigramSample_.begin() - 1) * TrigramStride;
    const std::uint64_t count = std::min<std::uint64_t>(TrigramStride, trigramCount_ - first);
    const std::string entries =
        read(trigrams_ + first * sizeof(TrigramEntry), count * sizeof(TrigramEntry));
    std::size_t low = 0;
    std::size_t high = count;
    while (low < high) {
        const std::size_t middle = (low + high) / 2;
        if (GetRecord<TrigramEntry>(entries, middle).trigram < trigram) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    if (low == count) {
        return std::nullopt;
    }
    const auto entry = GetRecord<TrigramEntry>(entries, low);
    if (entry.trigram != trigram) {
        return std::nullopt;
    }
    return std::pair{entry.blocksBytes, entry.blocksAt};
}

std::vector<std::uint32_t> Segment::candidateBlocks(const IndexQuery& query,
                                                    std::vector<char>& titles) const {
    std::vector<std::uint32_t> blocks;
    if (query.foldedTitle) {
        titles.assign(titleCount_, 0);
        for (std::uint32_t id = 0; id < titleCount_; ++id) {
            if (nullTitles_[id] || foldedTitles_[id] != *query.foldedTitle) {
                continue;
            }
            titles[id] = 1;
            const auto entry = GetRecord<TitleEntry>(titleBytes_, id);
            const std::uint64_t offset = entry.blocksAt;
            const std::uint32_t bytes = entry.blocksBytes;
            if (offset < titles_ || offset - titles_ + bytes > titleBytes_.size()) {
                throw IndexDamaged{};
            }
            std::vector<std::uint32_t> more =
                postings(std::string_view(titleBytes_).substr(offset - titles_, bytes));
            std::vector<std::uint32_t> both;
            std::set_union(blocks.begin(), blocks.end(), more.begin(), more.end(),
                           std::back_inserter(both));
            blocks.swap(both);
        }
        if (blocks.empty()) {
            return blocks;
        }
    }
    // Each trigram's blocks, the rarest first: a block must hold every one.
    std::vector<std::pair<std::uint32_t, std::uint64_t>> entries;
    for (const std::uint32_t trigram : query.trigrams) {
        const auto entry = trigramEntry(trigram);
        if (!entry) {
            return {};
        }
        entries.push_back(*entry);
    }
    std::sort(entries.begin(), entries.end());
    bool all = !query.foldedTitle;
    for (const auto& [bytes, offset] : entries) {
        std::vector<std::uint32_t> holding = postings(read(offset, bytes));
        if (all) {
            blocks = std::move(holding);
            all = false;
        } else {
            std::vector<std::uint32_t> both;
            std::set_intersection(blocks.begin(), blocks.end(), holding.begin(), holding.end(),
                                  std::back_inserter(both));
            blocks.swap(both);
        }
        if (blocks.empty()) {
            return blocks;
        }
    }
    if (all) {
        blocks.resize(blockCount_);
        for (std::uint32_t b = 0; b < blockCount_; ++b) {
            blocks[b] = b;
        }
    }
    return blocks;
}

template <class OnRow>
void Segment::decodeBlock(std::string_view block, std::uint32_t rows, OnRow&& onRow) const {
    const char* at = block.data();
    const char* end = at + block.size();
    for (std::uint32_t r = 0; r < rows; ++r) {
        std::uint64_t after = 0;
        std::uint64_t title = 0;
        std::uint64_t length = 0;
        if (!GetVarint(at, end, after) || !GetVarint(at, end, title) ||
            !GetVarint(at, end, length) || title >= titleCount_ ||
            (length > 0 && length - 1 > static_cast<std::uint64_t>(end - at))) {
            throw IndexDamaged{};
        }
        const std::int64_t row = summary_.firstRow + static_cast<std::int64_t>(after);
        const Field name{std::string_view(at, length == 0 ? 0 : length - 1), length == 0};
        if (!onRow(row, static_cast<std::uint32_t>(title), name)) {
            return;
        }
        at += name.text.size();
    }
}

void Segment::find(const IndexQuery& query,
                   const std::function<bool(std::int64_t row)>& onRow) const {
    std::vector<char> titles;
    const std::vector<std::uint32_t> blocks = candidateBlocks(query, titles);
    const auto offsetOf = [this](std::uint32_t block) {
        return GetRecord<BlockEntry>(directoryBytes_, block).at;
    };
    const auto sizeOf = [this](std::uint32_t block) {
        return std::uint64_t{GetRecord<BlockEntry>(directoryBytes_, block).bytes};
    };
    std::u32string folded;
    std::string bytes; // the blocks read, one run of them at a time
    bool going = true;
    for (std::size_t i = 0; i < blocks.size() && going;) {
        // The blocks that lie close after this one are read with it.
        const std::uint64_t from = offsetOf(blocks[i]);
        std::uint64_t to = from + sizeOf(blocks[i]);
        std::size_t last = i + 1;
        while (last < blocks.size() && offsetOf(blocks[last]) >= to &&
               offsetOf(blocks[last]) - to <= ReadGap &&
               offsetOf(blocks[last]) + sizeOf(blocks[last]) - from <= LongestRead) {
            to = offsetOf(blocks[last]) + sizeOf(blocks[last]);
            ++last;
        }
        if (from < sizeof(SegmentHeader) || to > directory_) {
            throw IndexDamaged{};
        }
        const std::string_view run = readInto(from, to - from, bytes);
        for (; i < last && going; ++i) {
            const std::string_view block =
                run.substr(offsetOf(blocks[i]) - from, sizeOf(blocks[i]));
            const std::uint32_t rows = GetRecord<BlockEntry>(directoryBytes_, blocks[i]).rows;
            decodeBlock(block, rows, [&](std::int64_t row, std::uint32_t title, Field name) {
                if (name.null || (!titles.empty() && titles[title] == 0)) {
                    return true;
                }
                bool matches = false;
                if (IsAscii(name.text)) {
                    matches = query.pattern.matches(name.text);
                } else {
                    DecodeIndexText(name.text, folded);
                    matches = query.pattern.matchesFolded(folded);
                }
                going = !matches || onRow(row);
                return going;
            });
        }
        i = std::max(i, last);
    }
}

} // namespace orbisk
