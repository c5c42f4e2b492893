#pragma once

#include <cstdint>
#include <string>

namespace orbisk {

// The copy window's progress display, which the report window's CLOSE also resets.
class CopyProgressView {
public:
    virtual ~CopyProgressView() = default;
    virtual void setProgressMax(float max) = 0;
    virtual void setProgressValue(float value) = 0;
    virtual void setPercentLabel(const std::string& text) = 0;
};

// The controls the copy disables while it runs, in the order it disables them.
enum class CopyControl { Command1, Command2, Command3, Command4, List1, Dir1, Drive1 };

// What the copy uses of the copy window.
class CopyWindowView : public CopyProgressView {
public:
    virtual std::int32_t itemCount() const = 0;
    virtual bool isMarked(std::int32_t line) const = 0;
    // The folder opened in Dir1.
    virtual std::string targetFolder() const = 0;
    virtual void setControlEnabled(CopyControl control, bool enabled) = 0;
};

} // namespace orbisk
