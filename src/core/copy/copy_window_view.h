#pragma once

#include <cstdint>
#include <string>

namespace orbisk {

// The copy window's progress display, which the report window's CLOSE also resets.
class CopyProgressView {
public:
    virtual ~CopyProgressView() = default;
    virtual void setProgressMax(int max) = 0;
    virtual void setProgressValue(int value) = 0;
    virtual void setPercentLabel(const std::string& text) = 0;
};

// The controls the copy disables while it runs, in the order it disables them.
enum class CopyControl {
    CopyButton,
    CloseButton,
    SelectAllButton,
    ClearButton,
    HitList,
    FolderList,
    DriveList
};

// What the copy uses of the copy window.
class CopyWindowView : public CopyProgressView {
public:
    virtual std::int32_t lineCount() const = 0;
    virtual bool isMarked(std::int32_t line) const = 0;
    // The folder opened in the target folder list.
    virtual std::string targetFolder() const = 0;
    virtual void setControlEnabled(CopyControl control, bool enabled) = 0;
};

} // namespace orbisk
