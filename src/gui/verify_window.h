#pragma once

#include "services/verify_run.h"

#include <QDialog>
#include <QTimer>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace orbisk {

class CommandWorker;
class ResizeRules;
struct Session;

// VERIFY of the catalogue window: reads every file of one registered disc, in the drive
// (or the image file) it is in now, and compares it with its registration. The reading
// runs as a worker that the window follows by its counters (bytes, files, speed, time
// left); CANCEL stops it between two blocks. Each file's verdict is listed, with where else
// the catalogue holds a file that no longer reads as registered, and the list can be saved
// as the copy log is. A finished run is kept as the disc's last verification.
class VerifyWindow : public QDialog {
    Q_OBJECT
public:
    VerifyWindow(Session& session, std::string title, std::string drive, QWidget* parent);
    ~VerifyWindow() override;

    void showModal();
    bool running() const;

signals:
    // A run was kept in the catalogue as the disc's last verification.
    void verificationKept();

protected:
    void reject() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void start();
    void showProgress();
    void finish(std::shared_ptr<VerifyRun> run);
    void save();
    void setRunning(bool running);

    Session& session_;
    std::string title_;
    std::string drive_;
    QLabel* caption_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QLabel* figures_ = nullptr;
    QTableWidget* results_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    CommandWorker* worker_ = nullptr;
    QTimer ticks_;
    std::shared_ptr<VerifyRun> run_;
    std::string log_; // the result as saved
    bool closeAfterRun_ = false;
    std::unique_ptr<ResizeRules> rules_;
};

} // namespace orbisk
