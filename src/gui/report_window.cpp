#include "report_window.h"

#include "report/save_log.h"
#include "session.h"
#include "text/display_text.h"
#include "widgets/pictures.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>

namespace orbisk {

ReportWindow::ReportWindow(Session& session, std::string log, QWidget* parent)
    : QDialog(parent), session_(session), log_(std::move(log)) {
    setObjectName("Form3");
    MakeResizableWindow(this, 6540, 3600);
    setWindowTitle("Orbisk [Report]");
    setAttribute(Qt::WA_DeleteOnClose);
    auto* backdrop = new Backdrop(pictures::ReportBackground(), this);

    logBox_ = new QPlainTextEdit(this);
    logBox_->setObjectName("Text1");
    logBox_->setReadOnly(true);
    logBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Paths are never wrapped: the box scrolls sideways.
    logBox_->setLineWrapMode(QPlainTextEdit::NoWrap);
    logBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // The log's own line ends are CR LF; the box shows one line per CR LF. Paths are
    // shown read as the Japanese code page where they are not UTF-8.
    QString shown = QString::fromStdString(DisplayText(log_));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    logBox_->setPlainText(shown);
    PlaceTwips(logBox_, 1920, 840, 4215, 2415);
    saveButton_ = WhiteButton(this, "SAVE");
    saveButton_->setObjectName("Command6");
    PlaceTwips(saveButton_, 360, 2280, 735, 375);
    closeButton_ = WhiteButton(this, "CLOSE");
    closeButton_->setObjectName("Command1");
    PlaceTwips(closeButton_, 360, 2880, 735, 375);
    resizing_.add(backdrop, ResizeRules::GrowRight | ResizeRules::GrowDown);
    resizing_.add(logBox_, ResizeRules::GrowRight | ResizeRules::GrowDown);
    SetFocusOrder({logBox_, saveButton_, closeButton_});
    connect(saveButton_, &QPushButton::clicked, this, &ReportWindow::save);
    connect(closeButton_, &QPushButton::clicked, this, [this] {
        emit closedByClose();
        close();
    });
}

void ReportWindow::showModal() {
    setWindowModality(Qt::ApplicationModal);
    CentreOnScreen(this);
    show();
}

void ReportWindow::resizeEvent(QResizeEvent* event) {
    resizing_.follow(event->size());
    QDialog::resizeEvent(event);
}

void ReportWindow::save() {
    SaveLog(session_.platform, log_);
}

} // namespace orbisk
