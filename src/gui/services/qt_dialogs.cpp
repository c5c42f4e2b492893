#include "services/qt_dialogs.h"

#include "services/message_dialog.h"
#include "text/display_text.h"
#include "words.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
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

Answer QtDialogs::message(const Notice& notice, Buttons buttons) {
    MessageDialog box(notice.title ? QString::fromStdString(Japanese({*notice.title, {}}))
                                   : QApplication::applicationName(),
                      QString::fromStdString(DisplayText(Worded(notice.lines, Language::Japanese))),
                      buttons == Buttons::OkCancel, dialogParent());
    return box.exec() == QDialog::Accepted ? Answer::Ok : Answer::Cancel;
}

std::string QtDialogs::askSaveFileName(const Message& filterMessage, const std::string& suggested) {
    const std::string filter = Japanese(filterMessage);
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

std::string QtDialogs::askOpenFileName(MessageId title, const Message& filter,
                                       const std::string& start) {
    QFileDialog dialog(dialogParent(), QString::fromStdString(Japanese({title, {}})));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(qtFilter(Japanese(filter)));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // It opens where the file was last seen, or the nearest folder above that is still there.
    QDir folder = QFileInfo(QFile::decodeName(QByteArray::fromStdString(start))).dir();
    while (!folder.exists() && !folder.isRoot() && folder.cdUp()) {
    }
    if (!start.empty() && folder.exists()) {
        dialog.setDirectory(folder);
    }
    showWholeColumns(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return "";
    }
    return QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString();
}

std::optional<std::string> QtDialogs::askText(const Notice& question, const std::string& initial) {
    QInputDialog dialog(dialogParent());
    dialog.setWindowTitle(
        QString::fromStdString(DisplayText(question.title ? Japanese({*question.title, {}}) : "")));
    dialog.setLabelText(
        QString::fromStdString(DisplayText(Worded(question.lines, Language::Japanese))));
    dialog.setTextValue(QString::fromStdString(DisplayText(initial)));
    dialog.resize(420, dialog.sizeHint().height());
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.textValue().toStdString();
}

} // namespace orbisk
