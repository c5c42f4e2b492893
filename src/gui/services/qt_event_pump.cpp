#include "services/qt_event_pump.h"

#include <QCoreApplication>

namespace orbisk {

void QtEventPump::processPendingEvents() {
    QCoreApplication::processEvents();
}

} // namespace orbisk
