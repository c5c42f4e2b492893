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
        BlockEntry entry{sizeof(SegmentHeader) + data.size(), 0, 0};
        const std::size_t start = data.size();
        trigrams.clear();
        for (std::size_t e = first; e < end; ++e) {
            const Entry& row = entries_[e];
            PutVarint(data, static_cast<std::uint64_t>(row.row - summary_.firstRow));
            PutVarint(data, row.title);
            PutVarint(data, row.null ? 0 : row.text.size() + 1);
            data += row.text;
            AppendTrigrams(row.text, trigrams);
            std::vector<std::uint32_t>& ofTitle = titleBlocks[row.title];
            if (ofTitle.empty() || ofTitle.back() != block) {
                ofTitle.push_back(block);
            }
        }
        entry.bytes = static_cast<std::uint32_t>(data.size() - start);
        entry.rows = static_cast<std::uint32_t>(end - first);
        PutRecord(directory, entry);
        std::sort(trigrams.begin(), trigrams.end());
        trigrams.erase(std::unique(trigrams.begin(), trigrams.end()), trigrams.end());
        for (const std::uint32_t trigram : trigrams) {
            postings.push_back(static_cast<std::uint64_t>(trigram) << 32 | block);
        }
    }
    const auto blockCount =
        static_cast<std::uint32_t>((entries_.size() + BlockRows - 1) / BlockRows);
    entries_ = {};

    const std::uint64_t directoryAt = sizeof(SegmentHeader) + data.size();
    const std::uint64_t titlesAt = directoryAt + directory.size();
    std::string titleTable;
    std::string titleData;
    const std::uint64_t titleDataAt = titlesAt + titles_.size() * sizeof(TitleEntry);
    for (std::size_t id = 0; id < titles_.size(); ++id) {
        TitleEntry entry{};
        entry.textAt = titleDataAt + titleData.size();
        entry.textBytes =
            nullTitles_[id] ? NullLength : static_cast<std::uint32_t>(titles_[id].size());
        titleData += titles_[id];
        std::string blocks;
        putPostings(blocks, titleBlocks[id]);
        entry.blocksBytes = static_cast<std::uint32_t>(blocks.size());
        entry.blocksAt = titleDataAt + titleData.size();
        PutRecord(titleTable, entry);
        titleData += blocks;
    }
    std::sort(postings.begin(), postings.end());
    const std::uint64_t trigramsAt = titleDataAt + titleData.size();
    std::vector<TrigramEntry> trigramEntries;
    std::string trigramData;
    std::vector<std::uint32_t> blocks;
    for (std::size_t i = 0; i < postings.size();) {
        const auto trigram = static_cast<std::uint32_t>(postings[i] >> 32);
        blocks.clear();
        for (; i < postings.size() && postings[i] >> 32 == trigram; ++i) {
            blocks.push_back(static_cast<std::uint32_t>(postings[i]));
        }
        std::string encoded;
        putPostings(encoded, blocks);
        // Where the list lies in the file is known once the table's size is.
        trigramEntries.push_back(
            {trigram, static_cast<std::uint32_t>(encoded.size()), trigramData.size()});
        trigramData += encoded;
    }
    const std::uint64_t trigramDataAt = trigramsAt + trigramEntries.size() * sizeof(TrigramEntry);
    std::string trigramTable;
    for (TrigramEntry& entry : trigramEntries) {
        entry.blocksAt += trigramDataAt;
        PutRecord(trigramTable, entry);
    }
    const std::uint64_t end = trigramDataAt + trigramData.size();

    std::uint64_t checksum = 0;
    for (const std::string* section :
         {&data, &directory, &titleTable, &titleData, &trigramTable, &trigramData}) {
        checksum = HashBytes(checksum, *section);
    }
    SegmentHeader header{};
    std::memcpy(header.magic, SegmentMagic, sizeof SegmentMagic);
    header.format = SegmentFormat;
    header.foldRules = static_cast<std::uint32_t>(FoldRuleVersion);
    header.kind = static_cast<std::uint32_t>(kind_);
    header.blocks = blockCount;
    header.rows = static_cast<std::uint64_t>(summary_.rows);
    header.firstRow = static_cast<std::uint64_t>(summary_.firstRow);
    header.lastRow = static_cast<std::uint64_t>(summary_.lastRow);
    header.digestFirst = summary_.digest.first;
    header.digestSecond = summary_.digest.second;
    header.directoryAt = directoryAt;
    header.titlesAt = titlesAt;
    header.titleCount = static_cast<std::uint32_t>(titles_.size());
    header.trigramCount = static_cast<std::uint32_t>(trigramEntries.size());
    header.trigramsAt = trigramsAt;
    header.end = end;
    header.checksum = checksum;
    std::string headerBytes;
    PutRecord(headerBytes, header);
    for (const std::string* section :
         {&headerBytes, &data, &directory, &titleTable, &titleData, &trigramTable, &trigramData}) {
        file.write(*section);
    }
    file.commit();
    summary_.checksum = checksum;
    const SegmentSummary written = summary_;
    *this = SegmentBuilder(kind_);
    return written;
}

} // namespace orbisk
