#pragma once

#include <string>

namespace orbisk {

// What the copy uses of the report window.
class ReportView {
public:
    virtual ~ReportView() = default;
    virtual void setLogText(const std::string& text) = 0;
    // Shows the window modally, with no owner, and returns when it has closed.
    virtual void showModal() = 0;
};

// Gives the report window, creating it hidden when the copy first writes into it.
class ReportProvider {
public:
    virtual ~ReportProvider() = default;
    virtual ReportView& report() = 0;
};

} // namespace orbisk
