#include "catalog_window.h"

#include "catalog/catalog_error.h"
#include "edit/edit_commands.h"
#include "media/disc_check.h"
#include "session.h"
#include "widgets/folder_files_model.h"
#include "widgets/pictures.h"
#include "widgets/shown_text.h"
#include "widgets/window_parts.h"
#include "words.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTableWidget>
#include <QTreeWidget>
#include <QtConcurrent/QtConcurrentRun>

namespace orbisk {

namespace {

constexpr int FolderRole = Qt::UserRole;
enum DiscColumn {
    TitleColumn,
    LabelColumn,
    RegistrationsColumn,
    FilesColumn,
    SizeColumn,
    DatesColumn,
    DriveColumn
};

QPushButton* bandButton(QWidget* parent, const QString& caption, int top) {
    QPushButton* button = WhiteButton(parent, caption);
    button->setGeometry(12, top, 80, 25);
    return button;
}

} // namespace

CatalogWindow::CatalogWindow(Session& session, QWidget* parent)
    : QDialog(parent), session_(session) {
    setObjectName("CatalogWindow");
    MakeFixedWindow(this, 11400, 7200);
    setWindowTitle("Orbisk [Catalog]");
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    auto* background = new QLabel(this);
    background->setPixmap(pictures::CatalogBackground());
    background->setGeometry(0, 0, 760, 480);
    buildControls();
    setAttribute(Qt::WA_DeleteOnClose);
    if (const auto why = WhyUnchangeable(session_.catalogFile)) {
        readOnlyReason_ = Shown(Worded(*why, Language::Japanese));
    }
    setButtonsEnabled(true);
    connect(&figures_, &QFutureWatcher<std::vector<DiscFigures>>::finished, this,
            &CatalogWindow::showFigures);
    connect(&disc_, &QFutureWatcher<DiscLoad>::finished, this, &CatalogWindow::showDisc);
    connect(&removal_, &QFutureWatcher<std::optional<Notice>>::finished, this,
            &CatalogWindow::removed);
    loadDiscs();
}

CatalogWindow::~CatalogWindow() {
    // A reading still under way stops at its next hundred thousand rows.
    *stopReading_ = true;
    figures_.waitForFinished();
    disc_.waitForFinished();
    removal_.waitForFinished();
}

void CatalogWindow::buildControls() {
    discTable_ = new QTableWidget(0, 7, this);
    discTable_->setObjectName("discTable");
    discTable_->setHorizontalHeaderLabels(
        {"タイトル", "ラベル", "登録数", "ファイル数", "サイズ(KB)", "登録日", "ドライブ"});
    discTable_->setGeometry(120, 40, 624, 150);
    discTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    discTable_->setSelectionMode(QAbstractItemView::SingleSelection);
    discTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    discTable_->verticalHeader()->hide();
    discTable_->horizontalHeader()->setStretchLastSection(true);
    discTable_->setWordWrap(false);
    discTable_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    discTable_->setColumnWidth(TitleColumn, 150);
    discTable_->setColumnWidth(LabelColumn, 100);
    discTable_->setColumnWidth(RegistrationsColumn, 50);
    discTable_->setColumnWidth(FilesColumn, 70);
    discTable_->setColumnWidth(SizeColumn, 80);
    discTable_->setColumnWidth(DatesColumn, 80);
    connect(discTable_, &QTableWidget::itemSelectionChanged, this, &CatalogWindow::openDisc);

    folderTree_ = new QTreeWidget(this);
    folderTree_->setObjectName("folderTree");
    folderTree_->setHeaderLabel("フォルダ");
    folderTree_->setGeometry(120, 200, 220, 264);
    connect(folderTree_, &QTreeWidget::itemSelectionChanged, this, &CatalogWindow::showFolder);

    files_ = new FolderFilesModel(session_.platform.numbers, this);
    sortedFiles_ = new QSortFilterProxyModel(this);
    sortedFiles_->setSourceModel(files_);
    sortedFiles_->setSortRole(FolderFilesModel::SortRole);
    fileTable_ = new QTableView(this);
    fileTable_->setObjectName("fileTable");
    fileTable_->setModel(sortedFiles_);
    fileTable_->setSortingEnabled(true);
    fileTable_->sortByColumn(-1, Qt::AscendingOrder); // catalogue order until a header is clicked
    fileTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    fileTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    fileTable_->verticalHeader()->hide();
    fileTable_->horizontalHeader()->setStretchLastSection(true);
    fileTable_->setGeometry(350, 200, 394, 264);
    fileTable_->setWordWrap(false);
    fileTable_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    fileTable_->setColumnWidth(0, 200);

    renameButton_ = bandButton(this, "RENAME", 250);
    removeButton_ = bandButton(this, "REMOVE", 285);
    exportButton_ = bandButton(this, "EXPORT", 330);
    exportAllButton_ = bandButton(this, "EXPORT ALL", 365);
    closeButton_ = bandButton(this, "CLOSE", 430);
    renameButton_->setObjectName("renameButton");
    removeButton_->setObjectName("removeButton");
    exportButton_->setObjectName("exportButton");
    exportAllButton_->setObjectName("exportAllButton");
    closeButton_->setObjectName("closeButton");
    SetFocusOrder({discTable_, folderTree_, fileTable_, renameButton_, removeButton_, exportButton_,
                   exportAllButton_, closeButton_});
    connect(renameButton_, &QPushButton::clicked, this, &CatalogWindow::rename);
    connect(removeButton_, &QPushButton::clicked, this, &CatalogWindow::remove);
    connect(exportButton_, &QPushButton::clicked, this, [this] { exportCsv(false); });
    connect(exportAllButton_, &QPushButton::clicked, this, [this] { exportCsv(true); });
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::close);
}

void CatalogWindow::loadDiscs() {
    // The titles show at once; their figures need every row and follow from a thread.
    std::vector<std::string> titles;
    try {
        titles = ReadDiscTitles(session_.catalogFile);
    } catch (const std::exception& error) {
        session_.platform.dialogs.message(
            {MessageId::ProgramName, CatalogOpenFailure(session_.catalogFile, ReasonOf(error))},
            Buttons::Ok);
    }
    discTable_->blockSignals(true);
    discTable_->setRowCount(0);
    for (const std::string& title : titles) {
        const int row = discTable_->rowCount();
        discTable_->insertRow(row);
        auto* item = new QTableWidgetItem(Shown(title));
        item->setData(Qt::UserRole, QByteArray::fromStdString(title));
        item->setToolTip(Shown(title));
        discTable_->setItem(row, TitleColumn, item);
        for (int column = LabelColumn; column <= DriveColumn; ++column) {
            discTable_->setItem(row, column, new QTableWidgetItem("…"));
        }
    }
    discTable_->blockSignals(false);
    folderTree_->clear();
    files_->show({});
    setButtonsEnabled(true);
    if (figures_.isRunning()) {
        *stopReading_ = true;
        figures_.waitForFinished();
    }
    stopReading_ = std::make_shared<std::atomic<bool>>(false);
    const auto stop = stopReading_;
    const auto file = session_.catalogFile;
    figures_.setFuture(QtConcurrent::run([file, stop] {
        try {
            return ReadDiscFigures(file, [stop] { return !*stop; });
        } catch (const std::exception&) {
            return std::vector<DiscFigures>{}; // the titles stay without figures
        }
    }));
    if (discTable_->rowCount() > 0) {
        discTable_->selectRow(0);
    }
}

void CatalogWindow::showFigures() {
    for (const DiscFigures& disc : figures_.result()) {
        const QByteArray title = QByteArray::fromStdString(disc.title);
        int row = 0;
        while (row < discTable_->rowCount() &&
               discTable_->item(row, TitleColumn)->data(Qt::UserRole).toByteArray() != title) {
            ++row;
        }
        if (row == discTable_->rowCount()) {
            // File rows without a title row: shown so that they can be removed.
            discTable_->insertRow(row);
            auto* item = new QTableWidgetItem(Shown(disc.title));
            item->setData(Qt::UserRole, title);
            discTable_->setItem(row, TitleColumn, item);
        }
        QStringList dates;
        for (const std::string& date : disc.dates) {
            dates << Shown(date);
        }
        discTable_->setItem(row, RegistrationsColumn,
                            new QTableWidgetItem(grouped(disc.registrations)));
        discTable_->setItem(row, FilesColumn, new QTableWidgetItem(grouped(disc.files)));
        discTable_->setItem(row, SizeColumn, new QTableWidgetItem(grouped(disc.kilobytes)));
        discTable_->setItem(row, DatesColumn, new QTableWidgetItem(dates.join(", ")));
        discTable_->setItem(row, LabelColumn, new QTableWidgetItem(Shown(disc.label)));
        discTable_->setItem(row, DriveColumn, new QTableWidgetItem());
        for (int column = RegistrationsColumn; column <= SizeColumn; ++column) {
            discTable_->item(row, column)->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    markDiscsInDrives();
}

void CatalogWindow::markDiscsInDrives() {
    // A disc in a drive now is marked with the drive it is in.
    const FileSystem& files = session_.platform.files;
    for (const DriveEntry& entry : files.drives()) {
        const auto title = TitleOfDiscIn(session_.catalogFile, files, entry.drive);
        if (!title) {
            continue;
        }
        for (int row = 0; row < discTable_->rowCount(); ++row) {
            if (discTable_->item(row, TitleColumn)->data(Qt::UserRole).toByteArray() ==
                QByteArray::fromStdString(*title)) {
                auto* drive = new QTableWidgetItem("● " + Shown(entry.drive));
                drive->setToolTip("このディスクはドライブに入っています: " + Shown(entry.display));
                discTable_->setItem(row, DriveColumn, drive);
                QFont bold = discTable_->item(row, TitleColumn)->font();
                bold.setBold(true);
                discTable_->item(row, TitleColumn)->setFont(bold);
            }
        }
    }
}

std::string CatalogWindow::chosenTitle() const {
    const auto rows = discTable_->selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return {};
    }
    return discTable_->item(rows.front().row(), TitleColumn)
        ->data(Qt::UserRole)
        .toByteArray()
        .toStdString();
}

void CatalogWindow::openDisc() {
    folderTree_->clear();
    files_->show({});
    setButtonsEnabled(true);
    if (discTable_->selectionModel()->selectedRows().isEmpty()) {
        return;
    }
    // A disc chosen before this one may still be read: its result is not waited for; the
    // watcher follows only the newest (the reading holds nothing of this window).
    const auto file = session_.catalogFile;
    const std::string title = chosenTitle();
    disc_.setFuture(QtConcurrent::run([file, title] {
        DiscLoad load;
        try {
            load.files = ReadDiscFiles(file, title);
        } catch (const std::exception&) {
            load.files.clear(); // the tree stays empty; the figures have said what there is
        }
        load.tree = BuildDiscTree(load.files);
        return load;
    }));
}

void CatalogWindow::showDisc() {
    shownDisc_ = disc_.result();
    folderTree_->clear();
    const DiscTree& tree = shownDisc_.tree;
    std::vector<QTreeWidgetItem*> items(tree.folders.size(), nullptr);
    for (std::size_t at = 0; at < tree.folders.size(); ++at) {
        const std::string& name = tree.folders[at].name;
        items[at] = new QTreeWidgetItem({Shown(at == 0 && name.empty() ? "(ディスク)" : name)});
        items[at]->setData(0, FolderRole, static_cast<qulonglong>(at));
    }
    // Each folder below its parent, in the parent's name order.
    for (std::size_t at = 0; at < tree.folders.size(); ++at) {
        for (const std::size_t child : tree.folders[at].children) {
            items[at]->addChild(items[child]);
        }
    }
    folderTree_->addTopLevelItem(items[0]);
    items[0]->setExpanded(true);
    folderTree_->setCurrentItem(items[0]);
}

void CatalogWindow::showFolder() {
    const auto chosen = folderTree_->selectedItems();
    if (chosen.isEmpty()) {
        files_->show({});
        return;
    }
    const auto at = static_cast<std::size_t>(chosen.front()->data(0, FolderRole).toULongLong());
    std::vector<DiscFile> files;
    for (const std::size_t f : shownDisc_.tree.folders.at(at).files) {
        files.push_back(shownDisc_.files[f]);
    }
    files_->show(std::move(files));
}

void CatalogWindow::setButtonsEnabled(bool enabled) {
    const bool chosen = !discTable_->selectionModel()->selectedRows().isEmpty();
    const bool writable = readOnlyReason_.isEmpty();
    renameButton_->setEnabled(enabled && chosen && writable);
    removeButton_->setEnabled(enabled && chosen && writable);
    renameButton_->setToolTip(readOnlyReason_);
    removeButton_->setToolTip(readOnlyReason_);
    exportButton_->setEnabled(enabled && chosen);
    exportAllButton_->setEnabled(enabled);
    closeButton_->setEnabled(enabled);
}

void CatalogWindow::rename() {
    if (RenameTitle(session_.platform, session_.catalogFile, chosenTitle())) {
        emit catalogueChanged();
        loadDiscs();
    }
}

void CatalogWindow::remove() {
    const std::string title = chosenTitle();
    if (!AskToRemoveTitle(session_.platform, session_.catalogFile, title)) {
        return;
    }
    // Another program may hold the catalogue for seconds: the removal waits for it on a
    // thread of its own, and the window answers meanwhile.
    busy_ = true;
    busyNotice_ = "削除中は閉じられません。削除が終わるまでお待ち下さい。";
    setButtonsEnabled(false);
    setCursor(Qt::BusyCursor);
    removal_.setFuture(QtConcurrent::run(
        [file = session_.catalogFile, title] { return RemoveTitleRows(file, title); }));
}

void CatalogWindow::removed() {
    unsetCursor();
    setButtonsEnabled(true);
    busy_ = false;
    if (const auto failure = removal_.result()) {
        session_.platform.dialogs.message(*failure, Buttons::Ok);
        return;
    }
    emit catalogueChanged();
    loadDiscs();
}

void CatalogWindow::showModal() {
    setWindowModality(Qt::ApplicationModal);
    CentreOnScreen(this);
    show();
}

QString CatalogWindow::grouped(std::int64_t value) const {
    return QString::fromStdString(session_.platform.numbers.grouped(value));
}

void CatalogWindow::exportCsv(bool allDiscs) {
    // The export lets the window's events run; the window stays until it ends.
    busy_ = true;
    busyNotice_ = "CSV出力中は閉じられません。出力が終わるまでお待ち下さい。";
    setButtonsEnabled(false);
    ExportCsv(session_.platform, session_.catalogFile,
              allDiscs ? std::nullopt : std::optional<std::string>(chosenTitle()));
    setButtonsEnabled(true);
    busy_ = false;
}

void CatalogWindow::reject() {
    if (busy_) {
        ShowNotice(this, busyNotice_);
        return;
    }
    QDialog::reject();
}

} // namespace orbisk
