#pragma once

#include <string>

namespace orbisk {

// The media control interface: takes a command string such as "set cdaudio door open".
// Failures are the device's business; the caller never hears of them.
class MediaControl {
public:
    virtual ~MediaControl() = default;
    virtual void send(const std::string& command) = 0;
};

} // namespace orbisk
