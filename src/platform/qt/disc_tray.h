#pragma once

#include "platform/media_control.h"

#include <string>

namespace orbisk {

// The tray of this machine's optical drive. Understands the two tray commands: open asks
// udisks2 to unmount and eject, falling back to the eject ioctl; close uses the close
// ioctl. No drive, no bus or a busy drive: nothing moves and nothing is said.
class DiscTray : public MediaControl {
public:
    void send(const std::string& command) override;

private:
    static std::string opticalDevice();
    static bool ejectThroughUdisks(const std::string& device);
    static void ioctlOnDevice(const std::string& device, unsigned long request);
};

} // namespace orbisk
