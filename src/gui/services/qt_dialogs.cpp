#include "services/qt_dialogs.h"

#include "services/message_dialog.h"
#include "text/display_text.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QInputDialog>
#include <QTreeView>
#include <algorithm>

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

// Sizes the file dialog's detail columns to their contents, so dates show whole.
void showWholeColumns(QFileDialog& dialog) {
    // Room for every column, the date and time whole.
    dialog.resize(std::max(dialog.width(), 720), std::max(dialog.height(), 440));
    if (auto* details = dialog.findChild<QTreeView*>("treeView")) {
        details->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        details->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    }
}

} // namespace

Answer QtDialogs::message(const std::string& text, const std::string& title, Buttons buttons) {
    MessageDialog box(title.empty() ? QApplication::applicationName()
                                    : QString::fromStdString(DisplayText(title)),
                      QString::fromStdString(DisplayText(text)), buttons == Buttons::OkCancel,
                      dialogParent());
    return box.exec() == QDialog::Accepted ? Answer::Ok : Answer::Cancel;
}

std::string QtDialogs::askSaveFileName(const std::string& filter, const std::string& suggested) {
    QFileDialog dialog(dialogParent());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(qtFilter(filter));
    dialog.setOptions(QFileDialog::DontConfirmOverwrite | QFileDialog::DontUseNativeDialog);
    if (!suggested.empty()) {
        dialog.selectFile(QString::fromStdString(suggested));
    }
    showWholeColumns(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return "";
    }
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

std::optional<std::string> QtDialogs::askText(const std::string& prompt, const std::string& title,
                                              const std::string& initial) {
    QInputDialog dialog(dialogParent());
    dialog.setWindowTitle(QString::fromStdString(DisplayText(title)));
    dialog.setLabelText(QString::fromStdString(DisplayText(prompt)));
    dialog.setTextValue(QString::fromStdString(DisplayText(initial)));
    dialog.resize(420, dialog.sizeHint().height());
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.textValue().toStdString();
}

} // namespace orbisk
