#pragma once

#include "platform/clock.h"

namespace orbisk {

class SystemClock : public Clock {
public:
    CalendarDate today() const override;
};

} // namespace orbisk
