#pragma once

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/disc_tray.h"
#include "platform/file_system.h"
#include "platform/number_format.h"

namespace orbisk {

// The platform services a command may use, handed over together.
struct Platform {
    FileSystem& files;
    DiscTray& tray;
    Dialogs& dialogs;
    const Clock& clock;
    const NumberFormat& numbers;
};

} // namespace orbisk
