#include "report_window.h"

#include "report/save_command.h"
#include "session.h"
#include "text/display_text.h"
#include "widgets/pictures.h"
#include "widgets/window_parts.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace orbisk {

ReportWindow::ReportWindow(Session& session, CopyProgressView& copyProgress)
    : session_(session), copyProgress_(copyProgress) {
    setObjectName("Form3");
    makeFixedWindow(this, 6540, 3600);
    setWindowTitle("Orbisk [Report]");
    setAttribute(Qt::WA_DeleteOnClose);
    auto* background = new QLabel(this);
    background->setPixmap(pictures::reportBackground());
    background->setGeometry(0, 0, 500, 240);

    logBox_ = new QPlainTextEdit("Text1", this);
    logBox_->setObjectName("Text1");
    logBox_->setReadOnly(true);
    logBox_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Paths are never wrapped: the box scrolls sideways.
    logBox_->setLineWrapMode(QPlainTextEdit::NoWrap);
    logBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    placeTwips(logBox_, 1920, 840, 4215, 2415);
    saveButton_ = whiteButton(this, "SAVE");
    saveButton_->setObjectName("Command6");
    placeTwips(saveButton_, 360, 2280, 735, 375);
    closeButton_ = whiteButton(this, "CLOSE");
    closeButton_->setObjectName("Command1");
    placeTwips(closeButton_, 360, 2880, 735, 375);
    setFocusOrder({logBox_, saveButton_, closeButton_});
    connect(saveButton_, &QPushButton::clicked, this, &ReportWindow::save);
    connect(closeButton_, &QPushButton::clicked, this, &ReportWindow::closeAndReset);
}

void ReportWindow::setLogText(const std::string& text) {
    log_ = text;
    // The log's own line ends are CR LF; the box shows one line per CR LF. Paths are
    // shown read as the Japanese code page where they are not UTF-8.
    QString shown = QString::fromStdString(DisplayText(text));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    logBox_->setPlainText(shown);
}

void ReportWindow::showModal() {
    centreOnScreen(this);
    exec();
}

void ReportWindow::save() {
    SaveCommand(session_.platform, log_).run();
}

void ReportWindow::closeAndReset() {
    copyProgress_.setProgressMax(100);
    copyProgress_.setProgressValue(0);
    copyProgress_.setPercentLabel("0%");
    close();
}

} // namespace orbisk
