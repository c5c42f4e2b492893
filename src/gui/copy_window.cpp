#include "copy_window.h"

#include "copy/copy_command.h"
#include "report_window.h"
#include "session.h"
#include "widgets/drive_list.h"
#include "widgets/folder_list.h"
#include "widgets/hit_line_delegate.h"
#include "widgets/pictures.h"
#include "widgets/window_parts.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QStringListModel>

namespace orbisk {

namespace {

QPushButton* bandButton(QWidget* parent, const QString& caption, const char* name, int top) {
    QPushButton* button = whiteButton(parent, caption);
    button->setObjectName(name);
    placeTwips(button, 360, top, 735, 375);
    return button;
}

} // namespace

CopyWindow::CopyWindow(Session& session) : session_(session) {
    setObjectName("Form2");
    makeFixedWindow(this, 10155, 7200);
    setWindowTitle("Orbisk [FileCopy]");
    setAttribute(Qt::WA_DeleteOnClose);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    auto* background = new QLabel(this);
    background->setPixmap(pictures::copyBackground());
    background->setGeometry(0, 0, 640, 480);

    hitList_ = new QListView(this);
    hitList_->setObjectName("List1");
    lines_ = new QStringListModel(hitList_);
    hitList_->setModel(lines_);
    hitList_->setSelectionMode(QAbstractItemView::MultiSelection);
    // Every line as wide as the widest, so that none is cut and the list scrolls sideways.
    hitList_->setUniformItemSizes(true);
    hitList_->setTextElideMode(Qt::ElideNone);
    hitList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    lineWidths_ = new HitLineDelegate(hitList_);
    hitList_->setItemDelegate(lineWidths_);
    hitList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    placeTwips(hitList_, 1800, 840, 5775, 6150);
    connect(hitList_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CopyWindow::onSelectionChanged);

    targetDriveList_ = new DriveList(session_.platform.files, "コピー先のフォルダを選択", this);
    targetDriveList_->setObjectName("Drive1");
    placeTwips(targetDriveList_, 7800, 840, 2175, 300);
    targetFolderList_ = new FolderList(session_.platform.files, this);
    targetFolderList_->setObjectName("Dir1");
    placeTwips(targetFolderList_, 7800, 1200, 2175, 5760);
    const std::string here = QFile::encodeName(QDir::currentPath()).toStdString();
    targetFolderList_->setPath(here);
    const auto driveOfFolder = [this] {
        return session_.platform.files.driveOfPath(targetFolderList_->path());
    };
    targetDriveList_->setDrive(driveOfFolder());
    targetDriveList_->setFallback(driveOfFolder);

    copyButton_ = bandButton(this, "COPY", "Command1", 5880);
    closeButton_ = bandButton(this, "CLOSE", "Command2", 6480);
    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName("PB1");
    progressBar_->setRange(0, 100);
    progressBar_->setValue(0);
    progressBar_->setTextVisible(false);
    placeTwips(progressBar_, 2760, 360, 4815, 255);
    percentLabel_ = new QLabel("0%", this);
    percentLabel_->setObjectName("Label1");
    placeTwips(percentLabel_, 2160, 390, 495, 255);
    selectAllButton_ = bandButton(this, "SELECT ALL", "Command3", 4440);
    // The longest caption of the band, narrowed so it fits its button whole.
    QFont narrow = selectAllButton_->font();
    narrow.setStretch(QFont::SemiCondensed);
    narrow.setLetterSpacing(QFont::PercentageSpacing, 92);
    selectAllButton_->setFont(narrow);
    clearButton_ = bandButton(this, "CLEAR", "Command4", 5040);

    setFocusOrder({hitList_, targetDriveList_, targetFolderList_, copyButton_, closeButton_,
                   selectAllButton_, clearButton_});
    connect(copyButton_, &QPushButton::clicked, this, &CopyWindow::copy);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::close);
    connect(selectAllButton_, &QPushButton::clicked, this, &CopyWindow::selectAll);
    connect(clearButton_, &QPushButton::clicked, hitList_, &QListView::clearSelection);
    connect(targetDriveList_, &DriveList::driveChanged, this, &CopyWindow::changeDrive);
}

CopyWindow::~CopyWindow() {
    delete reportWindow_.data();
}

void CopyWindow::clearList() {
    lines_->setStringList({});
    marks_.clear();
}

void CopyWindow::appendLines(const std::vector<std::string>& lines) {
    QStringList all = lines_->stringList();
    all.reserve(all.size() + static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) {
        all << QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    }
    lineWidths_->measure(all);
    lines_->setStringList(all);
    marks_.assign(static_cast<std::size_t>(all.size()), false);
}

void CopyWindow::setCaption(const std::string& caption) {
    setWindowTitle(QString::fromStdString(caption));
}

void CopyWindow::showModal() {
    centreOnScreen(this);
    exec();
}

std::int32_t CopyWindow::lineCount() const {
    return static_cast<std::int32_t>(lines_->rowCount());
}

bool CopyWindow::isMarked(std::int32_t line) const {
    return line >= 0 && static_cast<std::size_t>(line) < marks_.size() &&
           marks_[static_cast<std::size_t>(line)];
}

std::string CopyWindow::targetFolder() const {
    return targetFolderList_->path();
}

void CopyWindow::setControlEnabled(CopyControl control, bool enabled) {
    QWidget* const widgets[] = {copyButton_, closeButton_,      selectAllButton_, clearButton_,
                                hitList_,    targetFolderList_, targetDriveList_};
    widgets[static_cast<int>(control)]->setEnabled(enabled);
}

void CopyWindow::setProgressMax(int max) {
    progressBar_->setMaximum(max);
}

void CopyWindow::setProgressValue(int value) {
    progressBar_->setValue(value);
}

void CopyWindow::setPercentLabel(const std::string& text) {
    percentLabel_->setText(QString::fromStdString(text));
}

ReportWindow* CopyWindow::reportWindow() const {
    return reportWindow_.data();
}

ReportView& CopyWindow::report() {
    if (!reportWindow_) {
        reportWindow_ = new ReportWindow(session_, *this);
    }
    return *reportWindow_;
}

void CopyWindow::copy() {
    // The copy needs this window until it ends: closing waits for it.
    copying_ = true;
    CopyCommand(session_.platform, session_.hits, *this, *this).run();
    copying_ = false;
}

void CopyWindow::selectAll() {
    hitList_->repaint();
    hitList_->selectAll();
}

void CopyWindow::changeDrive() {
    // A drive that cannot be listed leaves the folder as it was, and the drive list goes
    // back to the drive of that folder.
    if (!targetFolderList_->setPath(targetDriveList_->driveText())) {
        targetDriveList_->setDrive(session_.platform.files.driveOfPath(targetFolderList_->path()));
    }
}

void CopyWindow::onSelectionChanged(const QItemSelection& selected,
                                    const QItemSelection& deselected) {
    for (const QItemSelectionRange& range : deselected) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            marks_[static_cast<std::size_t>(row)] = false;
        }
    }
    for (const QItemSelectionRange& range : selected) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            marks_[static_cast<std::size_t>(row)] = true;
        }
    }
}

void CopyWindow::reject() {
    // Both the close box and Escape end here: while a copy runs the window stays.
    if (copying_) {
        showNotice(this, "コピー中は閉じられません。コピーが終わるまでお待ち下さい。");
        return;
    }
    QDialog::reject();
}

} // namespace orbisk
