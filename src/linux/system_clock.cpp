#include "system_clock.h"

#include <cstdio>
#include <ctime>

namespace orbisk {

CalendarDate SystemClock::today() const {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

} // namespace orbisk

namespace orbisk {

std::string SystemClock::dateTimeText(std::int64_t seconds) const {
    const auto moment = static_cast<std::time_t>(seconds);
    std::tm local{};
    if (localtime_r(&moment, &local) == nullptr) {
        return std::to_string(seconds);
    }
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

} // namespace orbisk
