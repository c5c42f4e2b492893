#pragma once

#include "widgets/window_parts.h"

#include <QDialog>
#include <string>

class QPlainTextEdit;
class QPushButton;

namespace orbisk {

struct Session;

// The report window: the copy log, SAVE and CLOSE. CLOSE also says closedByClose(), on
// which the copy window resets its progress display; the close box does not.
class ReportWindow : public QDialog {
    Q_OBJECT
public:
    ReportWindow(Session& session, std::string log, QWidget* parent);

    // Shows the window over the others, which take no input while it is open.
    void showModal();

signals:
    void closedByClose();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void save();
    Session& session_;
    QPlainTextEdit* logBox_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    std::string log_;
    ResizeRules resizing_;
};

} // namespace orbisk
