#pragma once

#include <string>
#include <vector>

namespace orbisk {

// What the search uses of the main window.
class SearchInputView {
public:
    virtual ~SearchInputView() = default;
    virtual std::string key() const = 0;
    virtual std::string titleChoice() const = 0;
};

// What the search uses of the copy window.
class HitListView {
public:
    virtual ~HitListView() = default;
    virtual void clearList() = 0;
    // Appends lines at the end, in the order given.
    virtual void appendLines(const std::vector<std::string>& lines) = 0;
    virtual void setCaption(const std::string& caption) = 0;
    // Shows the window modally and returns when it has closed.
    virtual void showModal() = 0;
};

// Gives the copy window, creating it when the search first touches it.
class HitListProvider {
public:
    virtual ~HitListProvider() = default;
    virtual HitListView& hitList() = 0;
};

} // namespace orbisk
