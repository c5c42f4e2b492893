#include "catalog_window.h"

#include "catalog/catalog_error.h"
#include "content/file_places.h"
#include "edit/edit_commands.h"
#include "media/disc_check.h"
#include "services/command_worker.h"
#include "services/copies_reading.h"
#include "services/disc_list_reading.h"
#include "services/verify_run.h"
#include "session.h"
#include "verify_window.h"
#include "widgets/disc_folder_tree.h"
#include "widgets/disc_list_model.h"
#include "widgets/folder_files_model.h"
#include "widgets/pictures.h"
#include "widgets/shown_text.h"
#include "widgets/window_parts.h"
#include "words.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QtConcurrent/QtConcurrentRun>

namespace orbisk {

namespace {

QPushButton* bandButton(QWidget* parent, const QString& caption, const char* name, int top) {
    QPushButton* button = WhiteButton(parent, caption);
    button->setObjectName(name);
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
    figures_ = new DiscListReading(session_.catalogFile, session_.platform.files,
                                   session_.platform.clock, this);
    connect(figures_, &DiscListReading::read, this, &CatalogWindow::showFigures);
    connect(&disc_, &QFutureWatcher<DiscLoad>::finished, this, &CatalogWindow::showDisc);
    connect(&removal_, &QFutureWatcher<std::optional<Notice>>::finished, this,
            &CatalogWindow::removed);
    copies_ = new CopiesReading(session_.catalogFile, session_.platform.files, this);
    connect(copies_, &CopiesReading::read, this, &CatalogWindow::copiesRead);
    exporter_ = new CommandWorker(this);
    connect(exporter_, &CommandWorker::finished, this, &CatalogWindow::exported);
    loadDiscs();
}

CatalogWindow::~CatalogWindow() {
    // A reading of the disc list or of the copies still under way stops with it.
    delete figures_;
    delete copies_;
    disc_.waitForFinished();
    removal_.waitForFinished();
}

void CatalogWindow::buildControls() {
    discs_ = new DiscListModel(session_.platform.numbers, this);
    discTable_ = RowTable(this, "discTable", discs_);
    discTable_->setGeometry(120, 40, 624, 150);
    discTable_->setSelectionMode(QAbstractItemView::SingleSelection);
    discTable_->setTextElideMode(Qt::ElideMiddle); // a long path keeps its file name in view
    const int widths[] = {130, 80, 44, 60, 70, 76, 60};
    for (int column = 0; column < 7; ++column) {
        discTable_->setColumnWidth(column, widths[column]);
    }
    connect(discTable_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CatalogWindow::openDisc);

    folderTree_ = new DiscFolderTree(this);
    folderTree_->setObjectName("folderTree");
    folderTree_->setGeometry(120, 200, 220, 226);
    connect(folderTree_, &QTreeWidget::itemSelectionChanged, this, &CatalogWindow::showFolder);

    onlyHereCheck_ = new QCheckBox("このディスクだけにあるファイル", this);
    onlyHereCheck_->setObjectName("onlyHereCheck");
    onlyHereCheck_->setGeometry(120, 430, 220, 18);
    onlyHereCheck_->setToolTip(
        "ほかのディスクにも書庫の中にもコピーのないファイルだけを表示します。\n"
        "このディスクが読めなくなったときに失われるファイルです。");
    connect(onlyHereCheck_, &QCheckBox::toggled, this, &CatalogWindow::openDisc);
    onlyHereCount_ = new QLabel(this);
    onlyHereCount_->setObjectName("onlyHereCount");
    onlyHereCount_->setGeometry(138, 448, 202, 16);

    files_ = new FolderFilesModel(session_.platform.numbers, this);
    sortedFiles_ = new QSortFilterProxyModel(this);
    sortedFiles_->setSourceModel(files_);
    sortedFiles_->setSortRole(FolderFilesModel::SortRole);
    fileTable_ = RowTable(this, "fileTable", sortedFiles_);
    fileTable_->setSortingEnabled(true);
    fileTable_->sortByColumn(-1, Qt::AscendingOrder); // catalogue order until a header is clicked
    fileTable_->setGeometry(350, 200, 394, 160);
    fileTable_->setColumnWidth(0, 200);
    connect(fileTable_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CatalogWindow::showPlaces);

    placesCaption_ = new QLabel("ほかの場所", this);
    placesCaption_->setObjectName("placesCaption");
    placesCaption_->setGeometry(350, 364, 394, 16);
    placesList_ = new QListWidget(this);
    placesList_->setObjectName("placesList");
    placesList_->setGeometry(350, 382, 394, 82);
    placesList_->setTextElideMode(Qt::ElideMiddle);

    renameButton_ = bandButton(this, "RENAME", "renameButton", 250);
    removeButton_ = bandButton(this, "REMOVE", "removeButton", 285);
    exportButton_ = bandButton(this, "EXPORT", "exportButton", 330);
    exportAllButton_ = bandButton(this, "EXPORT ALL", "exportAllButton", 365);
    verifyButton_ = bandButton(this, "VERIFY", "verifyButton", 397);
    closeButton_ = bandButton(this, "CLOSE", "closeButton", 430);
    SetFocusOrder({discTable_, folderTree_, onlyHereCheck_, fileTable_, placesList_, renameButton_,
                   removeButton_, exportButton_, exportAllButton_, verifyButton_, closeButton_});
    connect(renameButton_, &QPushButton::clicked, this, &CatalogWindow::rename);
    connect(removeButton_, &QPushButton::clicked, this, &CatalogWindow::remove);
    connect(exportButton_, &QPushButton::clicked, this, [this] { exportCsv(false); });
    connect(exportAllButton_, &QPushButton::clicked, this, [this] { exportCsv(true); });
    connect(verifyButton_, &QPushButton::clicked, this, &CatalogWindow::verify);
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
    const std::string chosen = chosenTitle(); // chosen again when it is still there
    discTable_->selectionModel()->blockSignals(true);
    discs_->showTitles(titles);
    discTable_->selectionModel()->blockSignals(false);
    folderTree_->showNothing();
    files_->show({});
    setButtonsEnabled(true);
    figures_->start();
    if (discs_->rowCount() > 0) {
        discTable_->selectRow(qMax(0, discs_->rowOf(chosen)));
    }
}

void CatalogWindow::showFigures(const DiscListReading::Facts& facts) {
    discs_->showFigures(facts.figures);
    discs_->showVerifications(facts.verified);
    // A disc in a drive now is marked with the drive it is in.
    const FileSystem& files = session_.platform.files;
    for (const DriveEntry& entry : files.drives()) {
        if (const auto title = TitleOfDiscIn(session_.catalogFile, files, entry.drive)) {
            discs_->markInDrive(*title, entry.drive, entry.display);
        }
    }
}

std::string CatalogWindow::chosenTitle() const {
    const auto rows = discTable_->selectionModel()->selectedRows();
    return rows.isEmpty() ? std::string() : discs_->title(rows.front().row());
}

void CatalogWindow::openDisc() {
    folderTree_->showNothing();
    files_->show({});
    showPlaces();
    onlyHereCount_->clear();
    onlyHereAwaited_ = false;
    setButtonsEnabled(true);
    if (discTable_->selectionModel()->selectedRows().isEmpty()) {
        return;
    }
    std::shared_ptr<const CatalogCopies> copies;
    if (onlyHereCheck_->isChecked()) {
        copies = copies_->current();
        if (copies == nullptr) {
            onlyHereCount_->setText("調べています…");
            onlyHereAwaited_ = true; // copiesRead reads the disc
            return;
        }
    }
    readDisc(copies);
}

void CatalogWindow::readDisc(const std::shared_ptr<const CatalogCopies>& onlyHereBy) {
    // A disc chosen before this one may still be read: its result is not waited for; the
    // watcher follows only the newest (the reading holds nothing of this window).
    const auto file = session_.catalogFile;
    const std::string title = chosenTitle();
    const std::string look = copies_->latestLook();
    disc_.setFuture(QtConcurrent::run([file, title, onlyHereBy, look] {
        DiscLoad load;
        try {
            load.files = ReadDiscFiles(file, title);
        } catch (const std::exception&) {
            load.files.clear(); // the tree stays empty; the figures have said what there is
        }
        if (onlyHereBy != nullptr) {
            OnlyOnDisc only = FilesOnlyOnDisc(*onlyHereBy, title, std::move(load.files));
            load.files = std::move(only.files);
            load.unknown = only.unknown;
            load.onlyHere = true;
            load.lookOfCopies = look;
        }
        load.tree = BuildDiscTree(load.files);
        return load;
    }));
}

void CatalogWindow::showDisc() {
    DiscLoad load = disc_.result();
    if (load.onlyHere) {
        onlyHereLook_ = load.lookOfCopies;
        QString count = QString("%1 ファイル").arg(load.files.size());
        if (load.unknown > 0) {
            count += QString("（ほかに不明 %1）").arg(load.unknown);
        }
        onlyHereCount_->setText(count);
        onlyHereCount_->setToolTip(
            load.unknown == 0
                ? QString()
                : QString("サイズと日付がカタログにない %1 ファイル（以前のプログラムで"
                          "登録したもの）は、ほかの場所が分からないため含みません。")
                      .arg(load.unknown));
    }
    folderTree_->showDisc(std::move(load.files), std::move(load.tree));
}

void CatalogWindow::showFolder() {
    files_->show(folderTree_->chosenFiles());
    showPlaces();
}

const DiscFile* CatalogWindow::chosenFile() const {
    const auto rows = fileTable_->selectionModel()->selectedRows();
    return rows.isEmpty() ? nullptr : files_->file(sortedFiles_->mapToSource(rows.front()).row());
}

void CatalogWindow::showPlaces() {
    placesList_->clear();
    placesAwaited_ = false;
    const DiscFile* file = chosenFile();
    if (file == nullptr) {
        placesCaption_->setText("ほかの場所");
        return;
    }
    placesCaption_->setText("ほかの場所: " + Shown(file->name));
    const auto copies = copies_->current();
    if (copies == nullptr) {
        placesList_->addItem("調べています…");
        placesAwaited_ = true; // copiesRead shows them
        return;
    }
    listPlaces(*copies, *file);
}

void CatalogWindow::listPlaces(const CatalogCopies& copies, const DiscFile& file) {
    placesList_->clear();
    const auto places = OtherPlacesOf(copies, chosenTitle(), file);
    if (!places) {
        placesList_->addItem("サイズと日付がカタログにないため、ほかの場所は分かりません"
                             "（以前のプログラムで登録したファイル）。");
    } else if (places->empty()) {
        placesList_->addItem("ほかのディスクにはありません。このディスクだけにあるファイルです。");
    }
    for (const OtherPlace& place : places.value_or(std::vector<OtherPlace>{})) {
        placesList_->addItem(
            Shown(PlaceText(place.title, place.path, place.memberPath, place.match)));
    }
    for (int row = 0; row < placesList_->count(); ++row) {
        placesList_->item(row)->setToolTip(placesList_->item(row)->text());
    }
}

void CatalogWindow::copiesRead() {
    const auto copies = copies_->latest();
    // A filter made by copies since read afresh (the catalogue changed) is made again.
    const bool stale = onlyHereCheck_->isChecked() && !onlyHereLook_.empty() &&
                       onlyHereLook_ != copies_->latestLook();
    if ((onlyHereAwaited_ || stale) && !chosenTitle().empty()) {
        onlyHereAwaited_ = false;
        if (copies == nullptr) {
            onlyHereCount_->setText("カタログを読めません");
        } else {
            onlyHereLook_.clear();
            folderTree_->showNothing();
            files_->show({});
            readDisc(copies);
        }
    }
    if (!placesAwaited_) {
        return;
    }
    placesAwaited_ = false;
    placesList_->clear();
    const DiscFile* file = chosenFile();
    if (file == nullptr) {
        return;
    }
    if (copies == nullptr) {
        placesList_->addItem("カタログを読めないため、ほかの場所は分かりません。");
        return;
    }
    listPlaces(*copies, *file);
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
    verifyButton_->setEnabled(enabled && chosen);
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
    removing_ = true;
    setButtonsEnabled(false);
    setCursor(Qt::BusyCursor);
    removal_.setFuture(QtConcurrent::run(
        [file = session_.catalogFile, title] { return RemoveTitleRows(file, title); }));
}

void CatalogWindow::removed() {
    unsetCursor();
    removing_ = false;
    setButtonsEnabled(true);
    if (const auto failure = removal_.result()) {
        session_.platform.dialogs.message(*failure, Buttons::Ok);
        return;
    }
    emit catalogueChanged();
    loadDiscs();
}

void CatalogWindow::verify() {
    const std::string title = chosenTitle();
    const std::string place = discs_->placeOf(title);
    if (place.empty()) {
        session_.platform.dialogs.message(
            {MessageId::ProgramName, {{MessageId::DiscNotReady, {title}}}}, Buttons::Ok);
        return;
    }
    auto* window = new VerifyWindow(session_, title, place, this);
    connect(window, &VerifyWindow::verificationKept, this, &CatalogWindow::loadDiscs);
    window->showModal();
}

void CatalogWindow::showModal() {
    setWindowModality(Qt::ApplicationModal);
    CentreOnScreen(this);
    show();
}

void CatalogWindow::exportCsv(bool allDiscs) {
    setButtonsEnabled(false); // until it ends: one export at a time
    const auto title = allDiscs ? std::nullopt : std::optional<std::string>(chosenTitle());
    // The job holds nothing of the window: the worker outlives the window's own members.
    exporter_->start([worker = exporter_, p = session_.platform, file = session_.catalogFile,
                      title](std::stop_token stop) {
        // The file's name is asked and the outcome told on the window's thread.
        WorkerDialogs dialogs(*worker, p.dialogs);
        ExportCsv({p.files, p.tray, dialogs, p.clock, p.numbers}, file, title, std::move(stop));
    });
}

void CatalogWindow::exported() {
    setButtonsEnabled(true);
    if (closeAfterExport_) {
        close();
    }
}

void CatalogWindow::reject() {
    if (removing_) {
        ShowNotice(this, "削除中は閉じられません。削除が終わるまでお待ち下さい。");
        return;
    }
    if (!exporter_->running()) {
        QDialog::reject();
        return;
    }
    // A stopped export makes no file; the window closes once it has stopped.
    if (closeAfterExport_) {
        return;
    }
    const Notice question{MessageId::ExportTitle,
                          {Verbatim("CSV出力中です。出力を中止して閉じますか？\n"
                                    "出力中のファイルは作られません。")}};
    if (session_.platform.dialogs.message(question, Buttons::OkCancel) != Answer::Ok) {
        return;
    }
    closeAfterExport_ = true;
    if (exporter_->running()) {
        exporter_->requestStop();
    } else {
        close(); // it ended while the question was open
    }
}

} // namespace orbisk
