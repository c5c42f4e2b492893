#pragma once

#include <string>

namespace orbisk {

// The controls the registration disables while it runs, in the order it disables them.
enum class RegisterControl {
    DriveList,
    TitleBox,
    AddButton,
    CloseButton,
    AddPanelButton,
    FindPanelButton,
    EditButton
};

// What the registration uses of the main window.
class RegisterView {
public:
    virtual ~RegisterView() = default;
    virtual std::string driveText() const = 0;
    virtual std::string title() const = 0;
    virtual void setControlEnabled(RegisterControl control, bool enabled) = 0;
    virtual void setCaption(const std::string& caption) = 0;
    virtual void setProgressMax(int max) = 0;
    virtual void setProgressValue(int value) = 0;
    virtual void setPercentLabel(const std::string& text) = 0;
    // Fills the title list again from the catalogue.
    virtual void refreshTitles() = 0;
};

} // namespace orbisk
