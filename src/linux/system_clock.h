#pragma once

#include "platform/clock.h"

namespace orbisk {

class SystemClock : public Clock {
public:
    CalendarDate today() const override;
    std::string dateTimeText(std::int64_t seconds) const override;
};

} // namespace orbisk
