#pragma once

#include "platform/dialogs.h"

class QFileDialog;

namespace orbisk {

// Message boxes without icon and a save dialog that neither adds an extension nor asks
// before replacing a file.
class QtDialogs : public Dialogs {
public:
    Answer message(const std::string& text, const std::string& title, Buttons buttons) override;
    std::string askSaveFileName(const std::string& filter, const std::string& suggested) override;
    std::optional<std::string> askText(const std::string& prompt, const std::string& title,
                                       const std::string& initial) override;
};

} // namespace orbisk
