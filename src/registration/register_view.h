#pragma once

#include <string>

namespace orbisk {

// The controls the registration disables while it runs, in the order it disables them.
enum class RegisterControl {
    Drive1,
    Text1,
    Command3,
    Command4,
    Command1_0,
    Command1_1,
    Command1_2
};

// What the registration uses of the main window.
class RegisterView {
public:
    virtual ~RegisterView() = default;
    virtual std::string driveText() const = 0;
    virtual std::string title() const = 0;
    virtual void setControlEnabled(RegisterControl control, bool enabled) = 0;
    virtual void setCaption(const std::string& caption) = 0;
    virtual void setProgressMax(float max) = 0;
    virtual void setProgressValue(float value) = 0;
    virtual float progressValue() const = 0;
    virtual void setPercentLabel(const std::string& text) = 0;
    // Refills the title list from the catalogue.
    virtual void SubSetDb() = 0;
};

} // namespace orbisk
