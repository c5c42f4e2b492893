#pragma once

#include <cstdint>
#include <string>

namespace orbisk {

struct CalendarDate {
    int year = 1970;
    int month = 1;
    int day = 1;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual CalendarDate today() const = 0;
    // A moment (seconds since 1970-01-01 00:00 UTC) as the user reads it, in the local
    // time zone: "YYYY-MM-DD hh:mm:ss".
    virtual std::string dateTimeText(std::int64_t seconds) const = 0;
};

} // namespace orbisk
