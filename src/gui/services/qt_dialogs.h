#pragma once

#include "platform/dialogs.h"

namespace orbisk {

// Message boxes without icon and a save dialog that neither adds an extension nor asks
// before replacing a file.
class QtDialogs : public Dialogs {
public:
    Answer message(const std::string& text, const std::string& title, Buttons buttons) override;
    std::string askSaveFileName(const std::string& filter) override;
};

} // namespace orbisk
