#pragma once

#include <cstdint>
#include <string>

namespace orbisk {

// Whole numbers written with the user locale's digit grouping.
class NumberFormat {
public:
    virtual ~NumberFormat() = default;
    virtual std::string grouped(std::int64_t value) const = 0;
};

} // namespace orbisk
