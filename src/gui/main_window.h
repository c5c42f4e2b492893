#pragma once

#include "registration/register_disc.h"

#include <QPointer>
#include <QWidget>
#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace orbisk {

class CatalogWindow;
class CommandWorker;
class CopyWindow;
class DriveList;
class IndexKeeper;
class ProgressRow;
struct Session;

// The main window: three picture buttons and the register and search panels. FIND hands
// its hits to a new copy window; EDIT opens the catalogue window.
class MainWindow : public QWidget, private RegisterSink {
    Q_OBJECT
public:
    explicit MainWindow(Session& session);
    ~MainWindow() override;

    // The copy window while it is open, else null.
    CopyWindow* copyWindow() const;
    // The catalogue window while it is open, else null.
    CatalogWindow* catalogWindow() const;
    // Whether a registration runs.
    bool registering() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void showPanel(QGroupBox* panel);
    void add();
    void registered(Registration done);
    void find();
    void edit();
    void refreshTitles();
    void showIndexProgress(int percent);
    void requestIndexUpdate();

    // RegisterSink
    void setBusy(bool busy) override;
    void setCaption(const Message& caption) override;
    void setProgressMax(int max) override;
    void setProgressValue(int value) override;
    void setPercentLabel(const std::string& text) override;
    void titlesChanged() override { refreshTitles(); }

    Session& session_;
    QPushButton* addPanelButton_ = nullptr;
    QPushButton* findPanelButton_ = nullptr;
    QPushButton* editButton_ = nullptr;
    QGroupBox* registerPanel_ = nullptr;
    DriveList* driveList_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QPushButton* closeRegisterButton_ = nullptr;
    std::unique_ptr<ProgressRow> progress_;
    QLineEdit* titleBox_ = nullptr;
    QGroupBox* searchPanel_ = nullptr;
    QPushButton* closeSearchButton_ = nullptr;
    QLineEdit* keyBox_ = nullptr;
    QPushButton* findButton_ = nullptr;
    QComboBox* titleList_ = nullptr;
    QPointer<CopyWindow> copyWindow_;
    QPointer<CatalogWindow> catalogWindow_;
    IndexKeeper* indexKeeper_ = nullptr; // where there is a name index
    CommandWorker* worker_ = nullptr;    // runs ADD
    bool closeAfterRun_ = false;         // the user closed the window during a registration
    bool hasTitles_ = false;
};

} // namespace orbisk
