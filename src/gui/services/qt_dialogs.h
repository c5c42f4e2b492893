#pragma once

#include "platform/dialogs.h"

class QFileDialog;

namespace orbisk {

// Message boxes without icon, an open dialog, and a save dialog that neither adds an extension nor
// asks before replacing a file, in the windows' Japanese.
class QtDialogs : public Dialogs {
public:
    Answer message(const Notice& notice, Buttons buttons) override;
    std::string askSaveFileName(const Message& filter, const std::string& suggested) override;
    std::string askOpenFileName(MessageId title, const Message& filter,
                                const std::string& start) override;
    std::optional<std::string> askText(const Notice& question, const std::string& initial) override;
};

} // namespace orbisk
