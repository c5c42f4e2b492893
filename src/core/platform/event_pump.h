#pragma once

namespace orbisk {

// Lets the window events that are waiting run, so a long command keeps its window alive.
class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void processPendingEvents() = 0;
};

} // namespace orbisk
