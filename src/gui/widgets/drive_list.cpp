#include "widgets/drive_list.h"

#include "services/message_dialog.h"
#include "widgets/shown_text.h"
#include "words.h"

#include <QAbstractItemView>
#include <QFile>
#include <QFileDialog>
#include <QScrollBar>
#include <QSocketNotifier>
#include <QStylePainter>
#include <algorithm>

namespace orbisk {

namespace {

constexpr int DriveRole = Qt::UserRole;
constexpr int WatchMs = 1000;

} // namespace

DriveList::DriveList(const FileSystem& files, const QString& pickerTitle, QWidget* parent)
    : QComboBox(parent), files_(files), pickerTitle_(pickerTitle) {
    changeCount_ = files_.drivesChangeCount();
    fill(files_.drives());
    connect(this, &QComboBox::activated, this, &DriveList::onActivated);
    const auto lookAgain = [this] {
        if (files_.drivesChangeCount() != changeCount_ && !view()->isVisible()) {
            refresh();
        }
    };
    // The system says when a volume comes or goes; where it cannot, the list asks.
    const int descriptor = files_.drivesChangeDescriptor();
    if (descriptor >= 0) {
        watch_ = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
        connect(watch_, &QSocketNotifier::activated, this, lookAgain);
    } else {
        connect(&poll_, &QTimer::timeout, this, lookAgain);
        poll_.start(WatchMs);
    }
}

std::string DriveList::driveText() const {
    return currentData(DriveRole).toByteArray().toStdString();
}

void DriveList::addEntry(const std::string& drive, const std::string& display) {
    addItem(Shown(display), QByteArray::fromStdString(drive));
    setItemData(count() - 1, tipFor(drive, display), Qt::ToolTipRole);
}

QString DriveList::tipFor(const std::string& drive, const std::string& display) const {
    const std::string said = describer_ ? describer_(drive) : "";
    return said.empty() ? Shown(display) : Shown(display) + "\n" + Shown(said);
}

void DriveList::setDescriber(std::function<std::string(const std::string& drive)> describer) {
    describer_ = std::move(describer);
    refresh();
}

void DriveList::fill(const std::vector<DriveEntry>& drives) {
    const QSignalBlocker quiet(this);
    drives_ = drives;
    clear();
    for (const DriveEntry& entry : drives_) {
        addEntry(entry.drive, DriveText(entry, Language::Japanese));
    }
    for (const std::string& folder : picked_) {
        if (findData(QByteArray::fromStdString(folder), DriveRole) < 0) {
            addEntry(folder, folder);
        }
    }
    if (!imagePickerTitle_.isEmpty()) {
        addItem("イメージファイルを選択...");
    }
    addItem("フォルダを選択...");
}

void DriveList::offerImages(const QString& pickerTitle) {
    imagePickerTitle_ = pickerTitle;
    refresh();
}

void DriveList::refresh() {
    const std::string current = driveText();
    changeCount_ = files_.drivesChangeCount();
    fill(files_.drives());
    const int index = findData(QByteArray::fromStdString(current), DriveRole);
    if (index >= 0) {
        setCurrentIndex(index);
        remember();
    } else if (fallback_) {
        setDrive(fallback_());
    } else {
        setCurrentIndex(0);
        remember();
    }
}

void DriveList::setDrive(const std::string& drive) {
    int index = findData(QByteArray::fromStdString(drive), DriveRole);
    if (index < 0) {
        picked_.push_back(drive);
        index = pickedPlace();
        insertItem(index, Shown(drive), QByteArray::fromStdString(drive));
        setItemData(index, tipFor(drive, drive), Qt::ToolTipRole);
    }
    setCurrentIndex(index);
    remember();
}

std::optional<std::string> DriveList::firstDisc() const {
    for (const DriveKind kind : {DriveKind::Optical, DriveKind::Removable}) {
        const auto disc =
            std::find_if(drives_.begin(), drives_.end(),
                         [kind](const DriveEntry& entry) { return entry.kind == kind; });
        if (disc != drives_.end()) {
            return disc->drive;
        }
    }
    return std::nullopt;
}

void DriveList::remember() {
    lastIndex_ = currentIndex();
    setToolTip(itemData(lastIndex_, Qt::ToolTipRole).toString());
}

void DriveList::showPopup() {
    refresh();
    int widest = width();
    for (int i = 0; i < count(); ++i) {
        widest = std::max(widest, view()->fontMetrics().horizontalAdvance(itemText(i)) + 24);
    }
    view()->setMinimumWidth(widest + view()->verticalScrollBar()->sizeHint().width());
    QComboBox::showPopup();
}

void DriveList::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    // The end of a long entry tells drives apart: it holds the last folder and the label.
    option.currentText = fontMetrics().elidedText(option.currentText, Qt::ElideLeft, field.width());
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

// An image file the user picks becomes the current drive when it reads as a disc; else
// the user is told and the drive before stays.
bool DriveList::pickImage() {
    const QString image = QFileDialog::getOpenFileName(
        this, imagePickerTitle_, QString(),
        "ディスクイメージ (*.iso *.img *.bin *.cue *.nrg *.mdf *.udf);;すべてのファイル (*)",
        nullptr, QFileDialog::DontUseNativeDialog);
    if (image.isEmpty()) {
        return false;
    }
    const std::string path = QFile::encodeName(image).toStdString();
    if (!files_.isDriveReady(path)) {
        MessageDialog(imagePickerTitle_, "「" + image + "」はディスクイメージとして読めません。",
                      false, this)
            .exec();
        return false;
    }
    setDrive(path);
    return true;
}

void DriveList::onActivated(int index) {
    if (index == imageEntry()) {
        if (!pickImage()) {
            setCurrentIndex(lastIndex_);
            return;
        }
    } else if (index == pickEntry()) {
        const QString folder = QFileDialog::getExistingDirectory(
            this, pickerTitle_, QString(),
            QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
        if (folder.isEmpty()) {
            setCurrentIndex(lastIndex_);
            return;
        }
        setDrive(QFile::encodeName(folder).toStdString());
    }
    remember();
    emit driveChanged();
}

} // namespace orbisk
