#pragma once

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
};

} // namespace orbisk
