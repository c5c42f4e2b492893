#pragma once

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/event_pump.h"
#include "platform/file_system.h"
#include "platform/media_control.h"
#include "platform/number_format.h"

namespace orbisk {

// The platform services a command may use, handed over together.
struct Platform {
    FileSystem& files;
    MediaControl& media;
    Dialogs& dialogs;
    EventPump& events;
    const Clock& clock;
    const NumberFormat& numbers;
};

} // namespace orbisk
