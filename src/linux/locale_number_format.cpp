#include "locale_number_format.h"

#include <climits>
#include <clocale>

namespace orbisk {

LocaleNumberFormat::LocaleNumberFormat() {
    const std::lconv* conventions = std::localeconv();
    separator_ = conventions->thousands_sep;
    const char* grouping = conventions->grouping;
    groupSize_ = grouping[0] > 0 && grouping[0] != CHAR_MAX ? grouping[0] : 0;
}

std::string LocaleNumberFormat::grouped(std::int64_t value) const {
    return GroupDigits(value, separator_, groupSize_);
}

std::string GroupDigits(std::int64_t value, const std::string& separator, int groupSize) {
    const bool negative = value < 0;
    std::string digits =
        std::to_string(negative ? -(value + 1) + 1ULL : static_cast<unsigned long long>(value));
    if (!separator.empty() && groupSize > 0) {
        for (auto at = static_cast<long>(digits.size()) - groupSize; at > 0; at -= groupSize) {
            digits.insert(static_cast<std::size_t>(at), separator);
        }
    }
    return negative ? "-" + digits : digits;
}

} // namespace orbisk
