#pragma once

namespace orbisk {

// The tray of the machine's disc drive. Failures are the device's business: with no
// drive, no disc or a tray that cannot move, nothing moves and the caller never hears of
// it.
class DiscTray {
public:
    virtual ~DiscTray() = default;
    virtual void open() = 0;
    virtual void close() = 0;
};

} // namespace orbisk
