#pragma once

#include "messages/message.h"

#include <optional>
#include <string>

namespace orbisk {

enum class Buttons { Ok, OkCancel };
enum class Answer { Ok, Cancel };

// Message boxes (no icon), the open and save dialogs and a question for a line of text, each told
// what to say by id: the front end words it.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual Answer message(const Notice& notice, Buttons buttons) = 0;
    // The chosen full path, or the empty text when the user cancelled. filter says which
    // files the dialog lists ("description|pattern" once worded); suggested is the name the
    // dialog starts with (may be empty).
    virtual std::string askSaveFileName(const Message& filter, const std::string& suggested) = 0;
    // The full path of an existing file the user picks, or the empty text when the user
    // cancelled; the dialog starts in the folder of start (may be empty).
    virtual std::string askOpenFileName(MessageId title, const Message& filter,
                                        const std::string& start) = 0;
    // A line of text the user types, starting from initial; nothing when cancelled. The
    // question's title is the dialog's, its line the prompt.
    virtual std::optional<std::string> askText(const Notice& question,
                                               const std::string& initial) = 0;
};

} // namespace orbisk
