#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <type_traits>
#include <vector>

namespace orbisk {

// Compact stores for millions of catalogue rows taken in one pass: what a row's place in
// the pass (its ordinal) leads back to, in a few bytes a row.

// An array of plain records that grows in place: the system moves a large block's pages
// rather than copying them, so growing never needs the old and the new block at once.
template <class Record> class GrowingArray {
    static_assert(std::is_trivially_copyable_v<Record>);

public:
    GrowingArray() = default;
    ~GrowingArray() { std::free(data_); }
    GrowingArray(const GrowingArray&) = delete;
    GrowingArray& operator=(const GrowingArray&) = delete;
    GrowingArray(GrowingArray&& other) noexcept
        : data_(other.data_), size_(other.size_), capacity_(other.capacity_) {
        other.data_ = nullptr;
        other.size_ = other.capacity_ = 0;
    }
    GrowingArray& operator=(GrowingArray&& other) noexcept {
        if (this != &other) {
            std::free(data_);
            data_ = other.data_;
            size_ = other.size_;
            capacity_ = other.capacity_;
            other.data_ = nullptr;
            other.size_ = other.capacity_ = 0;
        }
        return *this;
    }

    void reserve(std::size_t count) {
        if (count > capacity_) {
            void* grown = std::realloc(data_, count * sizeof(Record));
            if (grown == nullptr) {
                throw std::bad_alloc();
            }
            data_ = static_cast<Record*>(grown);
            capacity_ = count;
        }
    }
    void push_back(const Record& record) {
        if (size_ == capacity_) {
            reserve(capacity_ < 1024 ? 1024 : capacity_ + capacity_ / 2);
        }
        data_[size_++] = record;
    }
    // Keeps the first count records and gives the memory of the rest back.
    void shrink(std::size_t count) {
        if (count == 0) {
            release();
        } else if (count < capacity_) {
            data_ = static_cast<Record*>(std::realloc(data_, count * sizeof(Record)));
            capacity_ = count;
            size_ = std::min(size_, count);
        }
    }
    // Gives the memory back.
    void release() {
        std::free(data_);
        data_ = nullptr;
        size_ = capacity_ = 0;
    }
    Record* begin() { return data_; }
    Record* end() { return data_ + size_; }
    const Record* begin() const { return data_; }
    const Record* end() const { return data_ + size_; }
    Record& operator[](std::size_t i) { return data_[i]; }
    const Record& operator[](std::size_t i) const { return data_[i]; }
    std::size_t size() const { return size_; }
    std::size_t bytes() const { return capacity_ * sizeof(Record); }

private:
    Record* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// 64-bit numbers in the order they came, each as its difference from the one before in
// as few bytes as it needs: a catalogue's row ids, read in their order, take one or two
// bytes each. Any one is found again by decoding at most 63 differences.
class NumberRun {
public:
    void push_back(std::uint64_t value);
    std::uint64_t operator[](std::size_t index) const;
    std::size_t size() const { return count_; }
    std::uint64_t back() const { return last_; }
    // The index of value: by halves where the numbers ascend, else one by one.
    std::optional<std::size_t> find(std::uint64_t value, bool ascending) const;
    std::size_t bytes() const { return packed_.bytes() + starts_.bytes(); }

private:
    static constexpr std::size_t Stride = 64;
    struct Start {
        std::uint64_t value;
        std::uint64_t offset;
    };
    GrowingArray<unsigned char> packed_;
    GrowingArray<Start> starts_;
    std::uint64_t last_ = 0;
    std::size_t count_ = 0;
};

// The value of each ordinal where long runs of ordinals share one (a disc's rows come
// together): one entry a run, and where each page of 4,096 ordinals begins among them, so
// that a value is found at once.
class RunValues {
public:
    void push_back(std::uint64_t value);
    std::uint64_t operator[](std::size_t index) const;
    // The ordinals [first, end) of each run of value, in order.
    std::vector<std::pair<std::size_t, std::size_t>> rangesOf(std::uint64_t value) const;
    std::size_t bytes() const {
        return runs_.capacity() * sizeof(Run) + pages_.capacity() * sizeof(std::size_t);
    }

private:
    static constexpr int PageBits = 12;
    struct Run {
        std::uint64_t first; // the run's first ordinal
        std::uint64_t value;
    };
    std::vector<Run> runs_;
    std::vector<std::size_t> pages_; // the run each page's first ordinal is in
    std::size_t count_ = 0;
};

// Which ordinals are marked, and for a marked one how many were marked before it: the
// place of its record in an array that holds the marked ones alone, in order.
class Marks {
public:
    void push_back(bool marked);
    bool marked(std::size_t index) const { return (words_[index / 64] >> (index % 64)) & 1; }
    std::size_t rank(std::size_t index) const;
    std::size_t bytes() const {
        return words_.capacity() * sizeof(std::uint64_t) +
               before_.capacity() * sizeof(std::uint64_t);
    }

private:
    std::vector<std::uint64_t> words_;
    std::vector<std::uint64_t> before_; // marks before each word
    std::size_t count_ = 0;
    std::uint64_t marks_ = 0;
};

} // namespace orbisk
