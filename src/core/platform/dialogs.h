#pragma once

#include <optional>
#include <string>

namespace orbisk {

enum class Buttons { Ok, OkCancel };
enum class Answer { Ok, Cancel };

// Message boxes (no icon), the save dialog and a question for a line of text. An empty
// title means the program's default.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual Answer message(const std::string& text, const std::string& title, Buttons buttons) = 0;
    // The chosen full path, or the empty text when the user cancelled. filter is
    // "description|pattern"; suggested is the name the dialog starts with (may be empty).
    virtual std::string askSaveFileName(const std::string& filter,
                                        const std::string& suggested) = 0;
    // A line of text the user types, starting from initial; nothing when cancelled.
    virtual std::optional<std::string> askText(const std::string& prompt, const std::string& title,
                                               const std::string& initial) = 0;
};

} // namespace orbisk
