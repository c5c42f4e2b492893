#pragma once

#include "platform/event_pump.h"

namespace orbisk {

class QtEventPump : public EventPump {
public:
    void processPendingEvents() override;
};

} // namespace orbisk
