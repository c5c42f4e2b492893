#include "report/form3.h"

#include "app/application.h"
#include "copy/form2.h"
#include "report/save_log.h"
#include "text/display_text.h"
#include "windows/pictures.h"
#include "windows/window_parts.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace orbisk {

Form3::Form3(Session& session, WindowHub& windows) : session_(session), windows_(windows) {
    makeFixedWindow(this, 6540, 3600);
    setWindowTitle("Orbisk [Report]");
    setAttribute(Qt::WA_DeleteOnClose);
    auto* background = new QLabel(this);
    background->setPixmap(pictures::reportBackground());
    background->setGeometry(0, 0, 500, 240);

    Text1 = new QPlainTextEdit("Text1", this);
    Text1->setReadOnly(true);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Paths are never wrapped: the box scrolls sideways.
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    placeTwips(Text1, 1920, 840, 4215, 2415);
    Command6 = whiteButton(this, "SAVE");
    placeTwips(Command6, 360, 2280, 735, 375);
    Command1 = whiteButton(this, "CLOSE");
    placeTwips(Command1, 360, 2880, 735, 375);
    setFocusOrder({Text1, Command6, Command1});
    connect(Command6, &QPushButton::clicked, this, &Form3::Command6_Click);
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
}

void Form3::setLogText(const std::string& text) {
    log_ = text;
    // The log's own line ends are CR LF; the box shows one line per CR LF. Paths are
    // shown read as the Japanese code page where they are not UTF-8.
    QString shown = QString::fromStdString(DisplayText(text));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    Text1->setPlainText(shown);
}

void Form3::showModal() {
    centreOnScreen(this);
    exec();
}

void Form3::Command6_Click() {
    SaveLog(log_, session_.platform.dialogs, session_.platform.files);
}

void Form3::Command1_Click() {
    if (Form2* copyWindow = windows_.copyWindow()) {
        copyWindow->setProgressMax(100);
        copyWindow->setProgressValue(0);
        copyWindow->setPercentLabel("0%");
    }
    close();
}

} // namespace orbisk
