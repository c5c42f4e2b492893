#include "platform/qt/qt_dialogs.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

namespace orbisk {

namespace {

QWidget* dialogParent() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return QApplication::activeWindow();
}

// "Description|pattern" pairs as the dialog's "Description (pattern)" entries.
QString qtFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        entries << (parts[i].contains(u'(')
                        ? parts[i]
                        : parts[i] + QStringLiteral(" (") + parts[i + 1] + QStringLiteral(")"));
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace

Answer QtDialogs::message(const std::string& text, const std::string& title, Buttons buttons) {
    QMessageBox box(QMessageBox::NoIcon,
                    title.empty() ? QApplication::applicationName() : QString::fromStdString(title),
                    QString::fromStdString(text),
                    buttons == Buttons::Ok ? QMessageBox::Ok
                                           : QMessageBox::Ok | QMessageBox::Cancel,
                    dialogParent());
    box.setDefaultButton(QMessageBox::Ok);
    // Wide enough that the caption bar shows the whole title.
    box.setStyleSheet("QLabel { min-width: 220px; }");
    return box.exec() == QMessageBox::Cancel ? Answer::Cancel : Answer::Ok;
}

std::string QtDialogs::askSaveFileName(const std::string& filter) {
    QFileDialog dialog(dialogParent());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(qtFilter(filter));
    dialog.setOptions(QFileDialog::DontConfirmOverwrite | QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return "";
    }
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

} // namespace orbisk
