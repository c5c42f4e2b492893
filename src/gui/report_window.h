#pragma once

#include "copy/copy_window_view.h"
#include "report/report_view.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace orbisk {

struct Session;

// The report window: the copy log, SAVE and CLOSE. CLOSE also resets the copy window's
// progress display; the close box does not.
class ReportWindow : public QDialog, public ReportView {
    Q_OBJECT
public:
    ReportWindow(Session& session, CopyProgressView& copyProgress);

    void setLogText(const std::string& text) override;
    void showModal() override;

private:
    void save();
    void closeAndReset();

    Session& session_;
    CopyProgressView& copyProgress_;
    QPlainTextEdit* logBox_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    std::string log_;
};

} // namespace orbisk
