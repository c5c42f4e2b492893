#pragma once

#include "platform/disc_tray.h"

#include <string>

namespace orbisk {

// The tray of this machine's optical drive: opening asks udisks2 to unmount and eject,
// falling back to the eject ioctl; closing uses the close ioctl. No drive, no bus or a
// busy drive: nothing moves and nothing is said.
class SystemDiscTray : public DiscTray {
public:
    void open() override;
    void close() override;

private:
    static std::string opticalDevice();
    static bool ejectThroughUdisks(const std::string& device);
    static void ioctlOnDevice(const std::string& device, unsigned long request);
};

} // namespace orbisk
