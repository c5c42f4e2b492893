#pragma once

#include "registration/register_view.h"
#include "search/hit_list_view.h"

#include <QWidget>
#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace orbisk {

class DriveList;
class WindowHub;
struct Session;

// The main window: three picture buttons and the register and search panels.
class Form1 : public QWidget, public RegisterView, public SearchInputView {
    Q_OBJECT
public:
    Form1(Session& session, WindowHub& windows);

    // RegisterView
    std::string driveText() const override;
    std::string title() const override;
    void setControlEnabled(RegisterControl control, bool enabled) override;
    void setCaption(const std::string& caption) override;
    void setProgressMax(float max) override;
    void setProgressValue(float value) override;
    float progressValue() const override;
    void setPercentLabel(const std::string& text) override;
    void SubSetDb() override;

    // SearchInputView
    std::string key() const override;
    std::string titleChoice() const override;

    // The controls, by their names, for the program and its tests.
    std::array<QPushButton*, 3> Command1{};
    QGroupBox* Frame1 = nullptr;
    DriveList* Drive1 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
    std::array<QLabel*, 3> Label1{};
    QProgressBar* ProgressBar1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QPushButton* Command5 = nullptr;
    std::array<QLabel*, 3> Label2{};
    QLineEdit* Text3 = nullptr;
    QPushButton* Command6 = nullptr;
    QComboBox* Combo1 = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void Form_Load();
    void Command1_Click(short index);
    void Command3_Click();
    void Command6_Click();

    Session& session_;
    WindowHub& windows_;
    bool registering_ = false;
};

} // namespace orbisk
