#include "content/compact_rows.h"

#include <algorithm>
#include <bit>

namespace orbisk {

namespace {

// A difference with its sign in the lowest bit, so that small steps back stay small.
std::uint64_t zigzag(std::uint64_t from, std::uint64_t to) {
    const auto step = static_cast<std::int64_t>(to - from);
    return (static_cast<std::uint64_t>(step) << 1) ^ static_cast<std::uint64_t>(step >> 63);
}

std::uint64_t unzigzag(std::uint64_t from, std::uint64_t coded) {
    return from + ((coded >> 1) ^ (~(coded & 1) + 1));
}

// The number that follows the last one read at at, moving at past its bytes.
std::uint64_t next(std::uint64_t last, const unsigned char*& at) {
    std::uint64_t coded = 0;
    for (int shift = 0;; shift += 7) {
        const unsigned char byte = *at++;
        coded |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
        if (byte < 0x80) {
            return unzigzag(last, coded);
        }
    }
}

} // namespace

void NumberRun::push_back(std::uint64_t value) {
    if (count_ % Stride == 0) {
        starts_.push_back({value, packed_.size()});
    } else {
        std::uint64_t coded = zigzag(last_, value);
        while (coded >= 0x80) {
            packed_.push_back(static_cast<unsigned char>(coded | 0x80));
            coded >>= 7;
        }
        packed_.push_back(static_cast<unsigned char>(coded));
    }
    last_ = value;
    ++count_;
}

std::uint64_t NumberRun::operator[](std::size_t index) const {
    const Start& start = starts_[index / Stride];
    std::uint64_t value = start.value;
    const unsigned char* at = packed_.begin() + start.offset;
    for (std::size_t step = index % Stride; step > 0; --step) {
        value = next(value, at);
    }
    return value;
}

std::optional<std::size_t> NumberRun::find(std::uint64_t value, bool ascending) const {
    if (ascending) {
        std::size_t low = 0;
        std::size_t high = count_;
        while (low < high) {
            const std::size_t middle = low + (high - low) / 2;
            if ((*this)[middle] < value) {
                low = middle + 1;
            } else {
                high = middle;
            }
        }
        return low < count_ && (*this)[low] == value ? std::optional<std::size_t>(low)
                                                     : std::nullopt;
    }
    const unsigned char* at = packed_.begin();
    std::uint64_t current = 0;
    for (std::size_t i = 0; i < count_; ++i) {
        current = i % Stride == 0 ? starts_[i / Stride].value : next(current, at);
        if (current == value) {
            return i;
        }
    }
    return std::nullopt;
}

void RunValues::push_back(std::uint64_t value) {
    if (runs_.empty() || runs_.back().value != value) {
        runs_.push_back({count_, value});
    }
    if (count_ % (std::size_t{1} << PageBits) == 0) {
        pages_.push_back(runs_.size() - 1);
    }
    ++count_;
}

std::uint64_t RunValues::operator[](std::size_t index) const {
    std::size_t run = pages_[index >> PageBits];
    while (run + 1 < runs_.size() && runs_[run + 1].first <= index) {
        ++run;
    }
    return runs_[run].value;
}

std::vector<std::pair<std::size_t, std::size_t>> RunValues::rangesOf(std::uint64_t value) const {
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    for (std::size_t r = 0; r < runs_.size(); ++r) {
        if (runs_[r].value == value) {
            ranges.emplace_back(runs_[r].first, r + 1 < runs_.size() ? runs_[r + 1].first : count_);
        }
    }
    return ranges;
}

void Marks::push_back(bool marked) {
    if (count_ % 64 == 0) {
        words_.push_back(0);
        before_.push_back(marks_);
    }
    if (marked) {
        words_.back() |= std::uint64_t{1} << (count_ % 64);
        ++marks_;
    }
    ++count_;
}

std::size_t Marks::rank(std::size_t index) const {
    const std::uint64_t below = (std::uint64_t{1} << (index % 64)) - 1;
    return before_[index / 64] +
           static_cast<std::size_t>(std::popcount(words_[index / 64] & below));
}

} // namespace orbisk
