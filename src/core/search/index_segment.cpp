#include "search/index_segment.h"

#include "text/byte_codes.h"
#include "text/text_fold.h"
#include "text/unicode_text.h"
#include "text/wildcard_pattern.h"

#include <algorithm>
#include <cstring>

namespace orbisk {

namespace {

constexpr char Magic[8] = {'O', 'R', 'B', 'I', 'S', 'K', 'I', 'X'};
constexpr std::uint32_t Format = 2;
constexpr std::size_t HeaderSize = 128;
constexpr std::size_t BlockEntry = 16;
constexpr std::size_t TitleEntry = 24;
constexpr std::size_t TrigramEntry = 16;
// Rows per block: few enough that a block holding a rare trigram is read quickly, many
// enough that the lists of blocks stay small.
constexpr std::uint32_t BlockRows = 64;
constexpr std::uint32_t NullLength = 0xFFFFFFFF;

void put32(std::string& out, std::uint32_t value) {
    out.append(reinterpret_cast<const char*>(&value), 4);
}

void put64(std::string& out, std::uint64_t value) {
    out.append(reinterpret_cast<const char*>(&value), 8);
}

// Sorted block numbers as gaps.
void putPostings(std::string& out, const std::vector<std::uint32_t>& blocks) {
    std::uint32_t previous = 0;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        PutVarint(out, i == 0 ? blocks[i] : blocks[i] - previous);
        previous = blocks[i];
    }
}

} // namespace

void SegmentBuilder::add(std::int64_t row, Field name, Field title) {
    if (summary_.rows == 0) {
        summary_.firstRow = row;
    }
    std::uint32_t titleId = 0;
    if (title.null && nullTitle_) {
        titleId = *nullTitle_;
    } else if (title.null || !titleIds_.count(std::string(title.text))) {
        titleId = static_cast<std::uint32_t>(titles_.size());
        titles_.emplace_back(title.text);
        nullTitles_.push_back(title.null);
        if (title.null) {
            nullTitle_ = titleId;
        } else {
            titleIds_.emplace(std::string(title.text), titleId);
        }
    } else {
        titleId = titleIds_.at(std::string(title.text));
    }
    entries_.push_back({name.null ? std::string() : IndexText(name.text), row, titleId, name.null});
    summary_.digest.add(RowDigest(static_cast<int>(kind_), row, name, title));
    summary_.lastRow = row;
    ++summary_.rows;
}

SegmentSummary SegmentBuilder::write(FileWriter& file) {
    summary_.kind = kind_;
    std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
        return a.text != b.text ? a.text < b.text : a.row < b.row;
    });
    // The blocks: each row as its id after the segment's first, its title, its name's
    // length plus one (0 for a NULL name) and its name.
    std::string data;
    std::string directory;
    std::vector<std::uint64_t> postings; // trigram << 32 | block
    std::vector<std::vector<std::uint32_t>> titleBlocks(titles_.size());
    std::vector<std::uint32_t> trigrams;
    for (std::size_t first = 0; first < entries_.size(); first += BlockRows) {
        const auto block = static_cast<std::uint32_t>(first / BlockRows);
        const std::size_t end = std::min(entries_.size(), first + BlockRows);
        put64(directory, HeaderSize + data.size());
        const std::size_t start = data.size();
        trigrams.clear();
        for (std::size_t e = first; e < end; ++e) {
            const Entry& entry = entries_[e];
            PutVarint(data, static_cast<std::uint64_t>(entry.row - summary_.firstRow));
            PutVarint(data, entry.title);
            PutVarint(data, entry.null ? 0 : entry.text.size() + 1);
            data += entry.text;
            AppendTrigrams(entry.text, trigrams);
            std::vector<std::uint32_t>& ofTitle = titleBlocks[entry.title];
            if (ofTitle.empty() || ofTitle.back() != block) {
                ofTitle.push_back(block);
            }
        }
        put32(directory, static_cast<std::uint32_t>(data.size() - start));
        put32(directory, static_cast<std::uint32_t>(end - first));
        std::sort(trigrams.begin(), trigrams.end());
        trigrams.erase(std::unique(trigrams.begin(), trigrams.end()), trigrams.end());
        for (const std::uint32_t trigram : trigrams) {
            postings.push_back(static_cast<std::uint64_t>(trigram) << 32 | block);
        }
    }
    const auto blockCount =
        static_cast<std::uint32_t>((entries_.size() + BlockRows - 1) / BlockRows);
    entries_ = {};

    const std::uint64_t directoryAt = HeaderSize + data.size();
    const std::uint64_t titlesAt = directoryAt + directory.size();
    std::string titleTable;
    std::string titleData;
    const std::uint64_t titleDataAt = titlesAt + titles_.size() * TitleEntry;
    for (std::size_t id = 0; id < titles_.size(); ++id) {
        put64(titleTable, titleDataAt + titleData.size());
        // A NULL title is told by a length no title has.
        put32(titleTable,
              nullTitles_[id] ? NullLength : static_cast<std::uint32_t>(titles_[id].size()));
        titleData += titles_[id];
        std::string blocks;
        putPostings(blocks, titleBlocks[id]);
        put32(titleTable, static_cast<std::uint32_t>(blocks.size()));
        put64(titleTable, titleDataAt + titleData.size());
        titleData += blocks;
    }
    std::sort(postings.begin(), postings.end());
    const std::uint64_t trigramsAt = titleDataAt + titleData.size();
    std::string trigramTable;
    std::string trigramData;
    std::size_t trigramCount = 0;
    std::vector<std::uint32_t> blocks;
    for (std::size_t i = 0; i < postings.size();) {
        const auto trigram = static_cast<std::uint32_t>(postings[i] >> 32);
        blocks.clear();
        for (; i < postings.size() && postings[i] >> 32 == trigram; ++i) {
            blocks.push_back(static_cast<std::uint32_t>(postings[i]));
        }
        std::string encoded;
        putPostings(encoded, blocks);
        put32(trigramTable, trigram);
        put32(trigramTable, static_cast<std::uint32_t>(encoded.size()));
        // The offset is patched below, once the table's size is known.
        put64(trigramTable, trigramData.size());
        trigramData += encoded;
        ++trigramCount;
    }
    const std::uint64_t trigramDataAt = trigramsAt + trigramTable.size();
    for (std::size_t entry = 0; entry < trigramCount; ++entry) {
        std::uint64_t offset = 0;
        std::memcpy(&offset, trigramTable.data() + entry * TrigramEntry + 8, 8);
        offset += trigramDataAt;
        std::memcpy(trigramTable.data() + entry * TrigramEntry + 8, &offset, 8);
    }
    const std::uint64_t end = trigramDataAt + trigramData.size();

    std::uint64_t checksum = 0;
    for (const std::string* section :
         {&data, &directory, &titleTable, &titleData, &trigramTable, &trigramData}) {
        checksum = HashBytes(checksum, *section);
    }
    std::string header(Magic, sizeof Magic);
    put32(header, Format);
    put32(header, static_cast<std::uint32_t>(FoldRuleVersion));
    put32(header, static_cast<std::uint32_t>(kind_));
    put32(header, blockCount);
    put64(header, static_cast<std::uint64_t>(summary_.rows));
    put64(header, static_cast<std::uint64_t>(summary_.firstRow));
    put64(header, static_cast<std::uint64_t>(summary_.lastRow));
    put64(header, summary_.digest.first);
    put64(header, summary_.digest.second);
    put64(header, directoryAt);
    put64(header, titlesAt);
    put32(header, static_cast<std::uint32_t>(titles_.size()));
    put32(header, static_cast<std::uint32_t>(trigramCount));
    put64(header, trigramsAt);
    put64(header, end);
    put64(header, checksum);
    header.resize(HeaderSize, '\0');
    for (const std::string* section :
         {&header, &data, &directory, &titleTable, &titleData, &trigramTable, &trigramData}) {
        file.write(*section);
    }
    file.commit();
    summary_.checksum = checksum;
    const SegmentSummary written = summary_;
    *this = SegmentBuilder(kind_);
    return written;
}

namespace {

// Trigrams of the table kept in memory: every this many entries, one.
constexpr std::uint32_t TrigramStride = 64;
// Blocks that lie this close are read in one go.
constexpr std::uint64_t ReadGap = 4096;
constexpr std::uint64_t LongestRead = 256 * 1024;

std::uint64_t get64(std::string_view bytes, std::size_t at) {
    if (at + 8 > bytes.size()) {
        throw IndexDamaged{};
    }
    std::uint64_t value = 0;
    std::memcpy(&value, bytes.data() + at, 8);
    return value;
}

std::uint32_t get32(std::string_view bytes, std::size_t at) {
    if (at + 4 > bytes.size()) {
        throw IndexDamaged{};
    }
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

} // namespace

Segment::Segment(std::unique_ptr<ReadableFile> file) : file_(std::move(file)) {
    const std::string header = read(0, HeaderSize);
    if (std::memcmp(header.data(), Magic, sizeof Magic) != 0 || get32(header, 8) != Format ||
        get32(header, 12) != static_cast<std::uint32_t>(FoldRuleVersion)) {
        throw IndexDamaged{};
    }
    summary_.kind = static_cast<IndexKind>(get32(header, 16));
    blockCount_ = get32(header, 20);
    summary_.rows = static_cast<std::int64_t>(get64(header, 24));
    summary_.firstRow = static_cast<std::int64_t>(get64(header, 32));
    summary_.lastRow = static_cast<std::int64_t>(get64(header, 40));
    summary_.digest = {get64(header, 48), get64(header, 56)};
    directory_ = get64(header, 64);
    titles_ = get64(header, 72);
    titleCount_ = get32(header, 80);
    trigramCount_ = get32(header, 84);
    trigrams_ = get64(header, 88);
    end_ = get64(header, 96);
    bodyChecksum_ = get64(header, 104);
    summary_.checksum = bodyChecksum_;
    const bool fits = end_ == file_->size() && directory_ >= HeaderSize &&
                      directory_ + blockCount_ * BlockEntry <= titles_ &&
                      titles_ + std::uint64_t{titleCount_} * TitleEntry <= trigrams_ &&
                      trigrams_ + std::uint64_t{trigramCount_} * TrigramEntry <= end_;
    if (!fits) {
        throw IndexDamaged{};
    }
    directoryBytes_ = read(directory_, blockCount_ * BlockEntry);
    // The title table, the titles and their block lists lie between it and the trigrams.
    titleBytes_ = read(titles_, trigrams_ - titles_);
    for (std::uint32_t id = 0; id < titleCount_; ++id) {
        const std::uint64_t at = get64(titleBytes_, id * TitleEntry);
        const std::uint32_t size = get32(titleBytes_, id * TitleEntry + 8);
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
    const std::uint64_t piece = std::uint64_t{TrigramStride} * TrigramEntry * 256;
    const std::uint64_t table = std::uint64_t{trigramCount_} * TrigramEntry;
    for (std::uint64_t from = 0; from < table; from += piece) {
        const std::string entries = read(trigrams_ + from, std::min(piece, table - from));
        for (std::size_t at = 0; at < entries.size(); at += TrigramStride * TrigramEntry) {
            trigramSample_.push_back(get32(entries, at));
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
    const std::uint64_t titleDataAt = titles_ + std::uint64_t{titleCount_} * TitleEntry;
    const std::uint64_t trigramDataAt = trigrams_ + std::uint64_t{trigramCount_} * TrigramEntry;
    const std::uint64_t bounds[] = {HeaderSize, directory_,    titles_, titleDataAt,
                                    trigrams_,  trigramDataAt, end_};
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
    const std::string entries = read(trigrams_ + first * TrigramEntry, count * TrigramEntry);
    std::size_t low = 0;
    std::size_t high = count;
    while (low < high) {
        const std::size_t middle = (low + high) / 2;
        if (get32(entries, middle * TrigramEntry) < trigram) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    if (low == count || get32(entries, low * TrigramEntry) != trigram) {
        return std::nullopt;
    }
    return std::pair{get32(entries, low * TrigramEntry + 4),
                     get64(entries, low * TrigramEntry + 8)};
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
            const std::size_t at = id * TitleEntry;
            const std::uint64_t offset = get64(titleBytes_, at + 16);
            const std::uint32_t bytes = get32(titleBytes_, at + 12);
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
        return get64(directoryBytes_, block * BlockEntry);
    };
    const auto sizeOf = [this](std::uint32_t block) {
        return std::uint64_t{get32(directoryBytes_, block * BlockEntry + 8)};
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
        if (from < HeaderSize || to > directory_) {
            throw IndexDamaged{};
        }
        const std::string_view run = readInto(from, to - from, bytes);
        for (; i < last && going; ++i) {
            const std::string_view block =
                run.substr(offsetOf(blocks[i]) - from, sizeOf(blocks[i]));
            const std::uint32_t rows = get32(directoryBytes_, blocks[i] * BlockEntry + 12);
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
