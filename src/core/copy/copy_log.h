#pragma once

#include <string>

namespace orbisk {

inline constexpr const char* CopiedMarker = "***Copy Normal End";
inline constexpr const char* NotFoundMarker = "***File Not Found";
inline constexpr const char* CopyErrorMarker = "***Copy Error: ";

// The copy log: two CR LF-ended lines per handled file, built by appending.
class CopyLog {
public:
    void add(const std::string& path, const std::string& marker) {
        text_ += path;
        text_ += "\r\n";
        text_ += marker;
        text_ += "\r\n";
    }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

} // namespace orbisk
