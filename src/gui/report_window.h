#pragma once

#include "copy/copy_files.h"
#include "widgets/window_parts.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace orbisk {

struct Session;

// The report window: the copy log, SAVE and CLOSE. CLOSE also resets the copy window's
// progress display; the close box does not.
class ReportWindow : public QDialog {
    Q_OBJECT
public:
    ReportWindow(Session& session, std::string log, CopyProgressView& copyProgress,
                 QWidget* parent);

    // Shows the window over the others, which take no input while it is open.
    void showModal();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void save();
    void closeAndReset();

    Session& session_;
    CopyProgressView& copyProgress_;
    QPlainTextEdit* logBox_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    std::string log_;
    ResizeRules resizing_;
};

} // namespace orbisk
