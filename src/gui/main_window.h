#pragma once

#include "catalog/title_list.h"
#include "registration/register_view.h"
#include "search/hit_list_view.h"

#include <QPointer>
#include <QWidget>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace orbisk {

class CopyWindow;
class DriveList;
class IndexKeeper;
struct Session;

// The main window: three picture buttons and the register and search panels. It gives
// the search its copy window, created on first use and gone when closed.
class MainWindow : public QWidget,
                   public RegisterView,
                   public SearchInputView,
                   public TitleListView,
                   public HitListProvider {
    Q_OBJECT
public:
    explicit MainWindow(Session& session);
    ~MainWindow() override;

    // RegisterView
    std::string driveText() const override;
    std::string title() const override;
    void setControlEnabled(RegisterControl control, bool enabled) override;
    void setCaption(const std::string& caption) override;
    void setProgressMax(int max) override;
    void setProgressValue(int value) override;
    void setPercentLabel(const std::string& text) override;
    void refreshTitles() override;

    // SearchInputView
    std::string key() const override;
    std::string titleChoice() const override;

    // TitleListView
    void setTitles(const std::vector<std::string>& entries) override;

    // HitListProvider
    HitListView& hitList() override;

    // The copy window while it is open, else null.
    CopyWindow* copyWindow() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void showPanel(QGroupBox* panel);
    void add();
    void find();
    void edit();
    void showIndexProgress(int percent);

    Session& session_;
    QPushButton* addPanelButton_ = nullptr;
    QPushButton* findPanelButton_ = nullptr;
    QPushButton* editButton_ = nullptr;
    QGroupBox* registerPanel_ = nullptr;
    DriveList* driveList_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QPushButton* closeRegisterButton_ = nullptr;
    QLabel* percentLabel_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QLineEdit* titleBox_ = nullptr;
    QGroupBox* searchPanel_ = nullptr;
    QPushButton* closeSearchButton_ = nullptr;
    QLineEdit* keyBox_ = nullptr;
    QPushButton* findButton_ = nullptr;
    QComboBox* titleList_ = nullptr;
    QPointer<CopyWindow> copyWindow_;
    IndexKeeper* indexKeeper_ = nullptr; // where there is a name index
    bool registering_ = false;
    bool hasTitles_ = false;
};

} // namespace orbisk
