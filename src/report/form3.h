#pragma once

#include "report/report_view.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace orbisk {

class WindowHub;
struct Session;

// The report window: the copy log, SAVE and CLOSE.
class Form3 : public QDialog, public ReportView {
    Q_OBJECT
public:
    Form3(Session& session, WindowHub& windows);

    void setLogText(const std::string& text) override;
    void showModal() override;

    QPlainTextEdit* Text1 = nullptr;
    QPushButton* Command6 = nullptr;
    QPushButton* Command1 = nullptr;

private:
    void Command6_Click();
    void Command1_Click();

    Session& session_;
    WindowHub& windows_;
    std::string log_;
};

} // namespace orbisk
