#pragma once

#include "platform/number_format.h"

namespace orbisk {

// Digit grouping of the C library's current locale, read when constructed.
class LocaleNumberFormat : public NumberFormat {
public:
    LocaleNumberFormat();
    std::string grouped(std::int64_t value) const override;

private:
    std::string separator_;
    int groupSize_ = 3;
};

// value with separator between groups of groupSize digits (no grouping when separator
// is empty or groupSize is not positive).
std::string GroupDigits(std::int64_t value, const std::string& separator, int groupSize);

} // namespace orbisk
