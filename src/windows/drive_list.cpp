#include "windows/drive_list.h"

#include <QFile>
#include <QFileDialog>

namespace orbisk {

DriveList::DriveList(const FileSystem& files, QWidget* parent) : QComboBox(parent) {
    for (const DriveEntry& entry : files.drives()) {
        addItem(QString::fromStdString(entry.display), QByteArray::fromStdString(entry.drive));
    }
    addItem("フォルダを選択...");
    connect(this, &QComboBox::activated, this, &DriveList::onActivated);
}

std::string DriveList::driveText() const {
    return currentData().toByteArray().toStdString();
}

void DriveList::setDrive(const std::string& drive) {
    int index = findData(QByteArray::fromStdString(drive));
    if (index < 0) {
        index = pickEntry();
        insertItem(index, QString::fromStdString(drive), QByteArray::fromStdString(drive));
    }
    setCurrentIndex(index);
    lastIndex_ = index;
}

void DriveList::onActivated(int index) {
    if (index == pickEntry()) {
        const QString folder = QFileDialog::getExistingDirectory(
            this, "ディスクのフォルダを選択", QString(),
            QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
        if (folder.isEmpty()) {
            setCurrentIndex(lastIndex_);
            return;
        }
        setDrive(QFile::encodeName(folder).toStdString());
    }
    lastIndex_ = currentIndex();
    emit driveChanged();
}

} // namespace orbisk
