#include "support/recording_views.h"

namespace orbisk::testing {

namespace {

const char* const RegisterControlNames[] = {"Drive1",      "Text1",       "Command3",   "Command4",
                                            "Command1(0)", "Command1(1)", "Command1(2)"};
const char* const CopyControlNames[] = {"Command1", "Command2", "Command3", "Command4",
                                        "List1",    "Dir1",     "Drive1"};

Lines prefixed(const char* prefix, const char* const (&names)[7]) {
    Lines out;
    for (const char* name : names) {
        out.push_back(std::string(prefix) + name);
    }
    return out;
}

} // namespace

const Lines RegisterControlsDisabled = prefixed("disable ", RegisterControlNames);
const Lines RegisterControlsEnabled = prefixed("enable ", RegisterControlNames);
const Lines CopyControlsDisabled = prefixed("disable ", CopyControlNames);
const Lines CopyControlsEnabled = prefixed("enable ", CopyControlNames);

Lines concat(std::initializer_list<Lines> parts) {
    Lines out;
    for (const auto& part : parts) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

void RecordingRegisterView::setControlEnabled(RegisterControl control, bool enabled) {
    transcript_.add((enabled ? "enable " : "disable ") +
                    std::string(RegisterControlNames[static_cast<int>(control)]));
}

void RecordingCopyWindow::setControlEnabled(CopyControl control, bool enabled) {
    transcript_.add((enabled ? "enable " : "disable ") +
                    std::string(CopyControlNames[static_cast<int>(control)]));
}

} // namespace orbisk::testing
