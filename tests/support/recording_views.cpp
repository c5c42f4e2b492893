#include "support/recording_views.h"

#include <cmath>

namespace orbisk::testing {

std::string percentText(float value) {
    return std::to_string(std::lround(value));
}

void RecordingRegisterView::setControlEnabled(RegisterControl control, bool enabled) {
    static const char* names[] = {"Drive1",      "Text1",       "Command3",   "Command4",
                                  "Command1(0)", "Command1(1)", "Command1(2)"};
    transcript_.add((enabled ? "enable " : "disable ") +
                    std::string(names[static_cast<int>(control)]));
}

void RecordingCopyWindow::setControlEnabled(CopyControl control, bool enabled) {
    static const char* names[] = {"Command1", "Command2", "Command3", "Command4",
                                  "List1",    "Dir1",     "Drive1"};
    transcript_.add((enabled ? "enable " : "disable ") +
                    std::string(names[static_cast<int>(control)]));
}

} // namespace orbisk::testing
