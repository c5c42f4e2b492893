#include "copy_log_text.h"

namespace orbisk {

namespace {

constexpr const char* CopiedMarker = "***Copy Normal End";
constexpr const char* NotFoundMarker = "***File Not Found";
constexpr const char* CopyErrorMarker = "***Copy Error: ";

// A reason as one line: line breaks of its own (an engine's words, or several messages)
// become one space.
void addJoined(std::string& text, const std::string& reason) {
    bool joined = false;
    for (const char c : reason) {
        if (c == '\r' || c == '\n') {
            if (!joined) {
                text += ' ';
            }
            joined = true;
        } else {
            text += c;
            joined = false;
        }
    }
}

} // namespace

std::string CopyLogText(const CopyLog& log) {
    std::string text;
    for (const CopyLogEntry& entry : log) {
        text += entry.path;
        text += "\r\n";
        switch (entry.outcome) {
        case CopyLogEntry::Outcome::Copied:
            text += CopiedMarker;
            break;
        case CopyLogEntry::Outcome::NotFound:
            text += NotFoundMarker;
            break;
        case CopyLogEntry::Outcome::Failed:
            text += CopyErrorMarker;
            addJoined(text, Worded(entry.reason, Language::Japanese));
            break;
        }
        text += "\r\n";
    }
    return text;
}

} // namespace orbisk
