#pragma once

#include <string>

namespace orbisk {

inline constexpr const char* CopiedMarker = "***Copy Normal End";
inline constexpr const char* NotFoundMarker = "***File Not Found";
inline constexpr const char* CopyErrorMarker = "***Copy Error: ";

// The copy log: two CR LF-ended lines per handled file, built by appending. A result is one
// line: a reason that comes with line breaks of its own (an engine's words) is joined.
class CopyLog {
public:
    void add(const std::string& path, const std::string& marker) {
        text_ += path;
        text_ += "\r\n";
        bool joined = false;
        for (const char c : marker) {
            if (c == '\r' || c == '\n') {
                if (!joined) {
                    text_ += ' ';
                }
                joined = true;
            } else {
                text_ += c;
                joined = false;
            }
        }
        text_ += "\r\n";
    }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

} // namespace orbisk
