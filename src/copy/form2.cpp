#include "copy/form2.h"

#include "app/application.h"
#include "copy/copy_command.h"
#include "windows/drive_list.h"
#include "windows/folder_list.h"
#include "windows/hit_line_delegate.h"
#include "windows/pictures.h"
#include "windows/window_parts.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QStringListModel>

namespace orbisk {

namespace {

QPushButton* bandButton(QWidget* parent, const QString& caption, int top) {
    QPushButton* button = whiteButton(parent, caption);
    placeTwips(button, 360, top, 735, 375);
    return button;
}

} // namespace

Form2::Form2(Session& session, WindowHub& windows) : session_(session), windows_(windows) {
    makeFixedWindow(this, 10155, 7200);
    setWindowTitle("Orbisk [FileCopy]");
    setAttribute(Qt::WA_DeleteOnClose);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    auto* background = new QLabel(this);
    background->setPixmap(pictures::copyBackground());
    background->setGeometry(0, 0, 640, 480);

    List1 = new QListView(this);
    lines_ = new QStringListModel(List1);
    List1->setModel(lines_);
    List1->setSelectionMode(QAbstractItemView::MultiSelection);
    // Every line as wide as the widest, so that none is cut and the list scrolls sideways.
    List1->setUniformItemSizes(true);
    List1->setTextElideMode(Qt::ElideNone);
    List1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    lineWidths_ = new HitLineDelegate(List1);
    List1->setItemDelegate(lineWidths_);
    List1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    placeTwips(List1, 1800, 840, 5775, 6150);
    connect(List1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &Form2::onSelectionChanged);

    Drive1 = new DriveList(session_.platform.files, "コピー先のフォルダを選択", this);
    placeTwips(Drive1, 7800, 840, 2175, 300);
    Dir1 = new FolderList(session_.platform.files, this);
    placeTwips(Dir1, 7800, 1200, 2175, 5760);
    const std::string here = QFile::encodeName(QDir::currentPath()).toStdString();
    Dir1->setPath(here);
    const auto driveOfFolder = [this] { return session_.platform.files.driveOfPath(Dir1->path()); };
    Drive1->setDrive(driveOfFolder());
    Drive1->setFallback(driveOfFolder);

    Command1 = bandButton(this, "COPY", 5880);
    Command2 = bandButton(this, "CLOSE", 6480);
    PB1 = new QProgressBar(this);
    PB1->setRange(0, 100);
    PB1->setValue(0);
    PB1->setTextVisible(false);
    placeTwips(PB1, 2760, 360, 4815, 255);
    Label1 = new QLabel("0%", this);
    placeTwips(Label1, 2160, 390, 495, 255);
    Command3 = bandButton(this, "SELECT ALL", 4440);
    // The longest caption of the band, narrowed so it fits its button whole.
    QFont narrow = Command3->font();
    narrow.setStretch(QFont::SemiCondensed);
    narrow.setLetterSpacing(QFont::PercentageSpacing, 92);
    Command3->setFont(narrow);
    Command4 = bandButton(this, "CLEAR", 5040);

    setFocusOrder({List1, Drive1, Dir1, Command1, Command2, Command3, Command4});
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &QDialog::close);
    connect(Command3, &QPushButton::clicked, this, &Form2::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &Form2::Command4_Click);
    connect(Drive1, &DriveList::driveChanged, this, &Form2::Drive1_Change);
}

void Form2::clearList() {
    lines_->setStringList({});
    marks_.clear();
}

void Form2::appendLines(const std::vector<std::string>& lines) {
    QStringList all = lines_->stringList();
    all.reserve(all.size() + static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) {
        all << QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    }
    lineWidths_->measure(all);
    lines_->setStringList(all);
    marks_.assign(static_cast<std::size_t>(all.size()), false);
}

void Form2::setCaption(const std::string& caption) {
    setWindowTitle(QString::fromStdString(caption));
}

void Form2::showModal() {
    centreOnScreen(this);
    exec();
}

std::int32_t Form2::itemCount() const {
    return static_cast<std::int32_t>(lines_->rowCount());
}

bool Form2::isMarked(std::int32_t line) const {
    return line >= 0 && static_cast<std::size_t>(line) < marks_.size() &&
           marks_[static_cast<std::size_t>(line)];
}

std::string Form2::targetFolder() const {
    return Dir1->path();
}

void Form2::setControlEnabled(CopyControl control, bool enabled) {
    QWidget* widgets[] = {Command1, Command2, Command3, Command4, List1, Dir1, Drive1};
    widgets[static_cast<int>(control)]->setEnabled(enabled);
}

void Form2::setProgressMax(float max) {
    PB1->setMaximum(static_cast<int>(max));
}

void Form2::setProgressValue(float value) {
    PB1->setValue(static_cast<int>(value));
}

void Form2::setPercentLabel(const std::string& text) {
    Label1->setText(QString::fromStdString(text));
}

void Form2::Command1_Click() {
    // The copy needs this window until it ends: closing waits for it.
    copying_ = true;
    CopyCommand(session_.platform, session_.hits, *this, windows_).run();
    copying_ = false;
}

void Form2::Command3_Click() {
    List1->repaint();
    List1->selectAll();
}

void Form2::Command4_Click() {
    List1->clearSelection();
}

void Form2::Drive1_Change() {
    // A drive that cannot be listed leaves the folder as it was, and the drive list goes
    // back to the drive of that folder.
    if (!Dir1->setPath(Drive1->driveText())) {
        Drive1->setDrive(session_.platform.files.driveOfPath(Dir1->path()));
    }
}

void Form2::onSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
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

void Form2::reject() {
    // Both the close box and Escape end here: while a copy runs the window stays.
    if (copying_) {
        showNotice(this, "コピー中は閉じられません。コピーが終わるまでお待ち下さい。");
        return;
    }
    QDialog::reject();
}

} // namespace orbisk
