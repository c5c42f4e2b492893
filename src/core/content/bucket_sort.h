#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <thread>

namespace orbisk {

namespace bucket_sort {

// Swaps each record of [begin, end) into the place of its byte (0 to 255) among the
// others, and gives where each byte's records begin: 256 places to write at once stay in
// the processor's cache, where 65,536 would not.
template <class Record, class Byte>
std::array<std::size_t, 257> spread(Record* begin, Record* end, Byte byteOf) {
    std::array<std::size_t, 257> start{};
    for (const Record* r = begin; r != end; ++r) {
        ++start[byteOf(*r) + 1];
    }
    for (std::size_t b = 0; b < 256; ++b) {
        start[b + 1] += start[b];
    }
    std::array<std::size_t, 256> next;
    std::copy(start.begin(), start.end() - 1, next.begin());
    for (std::size_t b = 0; b < 256; ++b) {
        while (next[b] < start[b + 1]) {
            Record& here = begin[next[b]];
            const std::size_t home = byteOf(here);
            if (home == b) {
                ++next[b];
            } else {
                std::swap(here, begin[next[home]++]);
            }
        }
    }
    return start;
}

} // namespace bucket_sort

// Sorts records in place whose order begins with a 16-bit bucket spread about evenly (the
// top bits of a hash, say): two passes swap each record into its bucket, one byte at a
// time, then the buckets, small enough to stay in the cache, are sorted, on two threads.
// Far faster than a sort of the whole array at ten million records, and it needs no
// second array.
template <class Record, class Bucket, class Less>
void BucketSort(Record* begin, Record* end, Bucket bucketOf, Less less) {
    const auto high = [&](const Record& r) { return static_cast<std::size_t>(bucketOf(r) >> 8); };
    const auto low = [&](const Record& r) { return static_cast<std::size_t>(bucketOf(r) & 0xFF); };
    const std::array<std::size_t, 257> start = bucket_sort::spread(begin, end, high);
    const auto sortPart = [&](std::size_t from, std::size_t to) {
        for (std::size_t b = from; b < to; ++b) {
            Record* first = begin + start[b];
            const auto inner = bucket_sort::spread(first, begin + start[b + 1], low);
            for (std::size_t i = 0; i < 256; ++i) {
                std::sort(first + inner[i], first + inner[i + 1], less);
            }
        }
    };
    // The two halves hold about as many records when the buckets are even.
    std::thread other(sortPart, 128, 256);
    sortPart(0, 128);
    other.join();
}

} // namespace orbisk
