#include "copy_window.h"

#include "copy_log_text.h"
#include "report_window.h"
#include "search/find_files.h"
#include "services/command_worker.h"
#include "session.h"
#include "widgets/drive_list.h"
#include "widgets/folder_list.h"
#include "widgets/hit_line_delegate.h"
#include "widgets/hit_list_model.h"
#include "widgets/pictures.h"
#include "widgets/progress_row.h"
#include "words.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QTimer>

namespace orbisk {

namespace {

constexpr int WidthTwips = 10155;
constexpr int HeightTwips = 7200;

QPushButton* bandButton(QWidget* parent, const QString& caption, const char* name, int top) {
    QPushButton* button = WhiteButton(parent, caption);
    button->setObjectName(name);
    PlaceTwips(button, 360, top, 735, 375);
    return button;
}

// The copy's sink on the worker: each step is shown by the window, on its thread, in the
// order the copy said it.
class QueuedCopySink : public CopySink {
public:
    QueuedCopySink(CommandWorker& worker, CopySink& window) : worker_(worker), window_(window) {}

    void setBusy(bool busy) override {
        worker_.post([window = &window_, busy] { window->setBusy(busy); });
    }
    void setProgressMax(int max) override {
        worker_.post([window = &window_, max] { window->setProgressMax(max); });
    }
    void setProgressValue(int value) override {
        worker_.post([window = &window_, value] { window->setProgressValue(value); });
    }
    void setPercentLabel(const std::string& text) override {
        worker_.post([window = &window_, text] { window->setPercentLabel(text); });
    }

private:
    CommandWorker& worker_;
    CopySink& window_;
};

} // namespace

CopyWindow::CopyWindow(Session& session, HitTable hits) : session_(session) {
    setObjectName("Form2");
    MakeResizableWindow(this, WidthTwips, HeightTwips);
    setWindowTitle(QString::fromStdString(
        Japanese({MessageId::HitsFound, {Count(static_cast<std::int64_t>(hits.size()))}})));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* backdrop = new Backdrop(pictures::CopyBackground(), this);
    auto* receive = new QLabel("Receive", this);
    receive->setFont(pictures::TitleFont());
    receive->setStyleSheet("color: #282828");
    receive->setGeometry(520, 22, 140, 28);

    hitList_ = new QListView(this);
    hitList_->setObjectName("List1");
    hits_ = new HitListModel(std::move(hits), hitList_);
    hitList_->setModel(hits_);
    hitList_->setSelectionMode(QAbstractItemView::MultiSelection);
    // Every line as wide as the widest, so that none is cut and the list scrolls sideways.
    hitList_->setUniformItemSizes(true);
    hitList_->setTextElideMode(Qt::ElideNone);
    hitList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    lineWidths_ = new HitLineDelegate(hitList_);
    lineWidths_->measure(*hits_);
    hitList_->setItemDelegate(lineWidths_);
    hitList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PlaceTwips(hitList_, 1800, 840, 5775, 6150);

    targetDriveList_ = new DriveList(session_.platform.files, "コピー先のフォルダを選択", this);
    targetDriveList_->setObjectName("Drive1");
    PlaceTwips(targetDriveList_, 7800, 840, 2175, 300);
    targetFolderList_ = new FolderList(session_.platform.files, this);
    targetFolderList_->setObjectName("Dir1");
    PlaceTwips(targetFolderList_, 7800, 1200, 2175, 5760);
    targetFolderList_->setPath(QFile::encodeName(QDir::currentPath()).toStdString());
    const auto driveOfFolder = [this] {
        return session_.platform.files.driveOfPath(targetFolderList_->path());
    };
    targetDriveList_->setDrive(driveOfFolder());
    targetDriveList_->setFallback(driveOfFolder);
    targetDriveList_->setDescriber(RegisteredTitleSaid(session_));

    copyButton_ = bandButton(this, "COPY", "Command1", 5880);
    closeButton_ = bandButton(this, "CLOSE", "Command2", 6480);
    progress_ = std::make_unique<ProgressRow>(this, "PB1", QRect(2760, 360, 4815, 255), "Label1",
                                              QRect(2160, 390, 495, 255));
    selectAllButton_ = bandButton(this, "SELECT ALL", "Command3", 4440);
    FitCaption(selectAllButton_);
    clearButton_ = bandButton(this, "CLEAR", "Command4", 5040);

    // As the window grows, the hit list grows with it, the target lists keep to its right
    // edge and the buttons keep to its bottom.
    resizing_.add(backdrop, ResizeRules::GrowRight | ResizeRules::GrowDown);
    resizing_.add(hitList_, ResizeRules::GrowRight | ResizeRules::GrowDown);
    resizing_.add(progress_->bar(), ResizeRules::GrowRight);
    resizing_.add(receive, ResizeRules::MoveRight);
    resizing_.add(targetDriveList_, ResizeRules::MoveRight);
    resizing_.add(targetFolderList_, ResizeRules::MoveRight | ResizeRules::GrowDown);
    for (QWidget* button : {selectAllButton_, clearButton_, copyButton_, closeButton_}) {
        resizing_.add(button, ResizeRules::MoveDown);
    }

    SetFocusOrder({hitList_, targetDriveList_, targetFolderList_, copyButton_, closeButton_,
                   selectAllButton_, clearButton_});
    connect(copyButton_, &QPushButton::clicked, this, &CopyWindow::copy);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::close);
    connect(selectAllButton_, &QPushButton::clicked, this, &CopyWindow::selectAll);
    connect(clearButton_, &QPushButton::clicked, hitList_, &QListView::clearSelection);
    connect(targetDriveList_, &DriveList::driveChanged, this, &CopyWindow::changeDrive);
    worker_ = new CommandWorker(this);
}

CopyWindow::~CopyWindow() {
    // A copy still running stops after the file it is at, before its window goes.
    delete worker_;
    delete reportWindow_.data();
}

void CopyWindow::showModal() {
    setWindowModality(Qt::ApplicationModal);
    CentreOnScreen(this);
    show();
}

const HitTable& CopyWindow::hits() const {
    return hits_->hits();
}

std::vector<std::size_t> CopyWindow::markedLines() const {
    std::vector<std::size_t> lines;
    for (const QItemSelectionRange& range : hitList_->selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            lines.push_back(static_cast<std::size_t>(row));
        }
    }
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    return lines;
}

bool CopyWindow::isMarked(std::size_t line) const {
    return hitList_->selectionModel()->isSelected(hits_->index(static_cast<int>(line)));
}

ReportWindow* CopyWindow::reportWindow() const {
    return reportWindow_.data();
}

std::string CopyWindow::targetFolder() const {
    return targetFolderList_->path();
}

void CopyWindow::setBusy(bool busy) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{copyButton_, closeButton_, selectAllButton_, clearButton_,
                                         hitList_, targetFolderList_, targetDriveList_}) {
        control->setEnabled(!busy);
    }
}

void CopyWindow::setProgressMax(int max) {
    progress_->setMaximum(max);
}

void CopyWindow::setProgressValue(int value) {
    progress_->setValue(value);
}

void CopyWindow::setPercentLabel(const std::string& text) {
    progress_->setPercentText(text);
}

void CopyWindow::copy() {
    if (worker_->running()) {
        return;
    }
    closeAfterRun_ = false;
    // The hits stay as they are while the copy runs: the list takes no input meanwhile.
    worker_->start([this, marked = markedLines(), folder = targetFolder()](std::stop_token stop) {
        QueuedCopySink sink(*worker_, *this);
        WorkerDialogs dialogs(*worker_, session_.platform.dialogs);
        const Platform& p = session_.platform;
        CopyRun run =
            CopyFiles({p.files, p.tray, dialogs, p.events, p.clock, p.numbers},
                      session_.catalogFile, hits_->hits(), marked, folder, sink, std::move(stop));
        worker_->post([this, run = std::move(run)] { copied(run); });
    });
}

bool CopyWindow::copying() const {
    return worker_->running();
}

void CopyWindow::copied(const CopyRun& run) {
    if (closeAfterRun_) {
        // After finished(), when the worker is no longer running.
        QTimer::singleShot(0, this, &QDialog::close);
        return;
    }
    if (run.end == CopyRun::End::Done) {
        delete reportWindow_.data();
        reportWindow_ = new ReportWindow(session_, CopyLogText(run.log), this);
        connect(reportWindow_, &ReportWindow::closedByClose, this, [this] {
            setProgressMax(100);
            setProgressValue(0);
            setPercentLabel("0%");
        });
        reportWindow_->showModal();
    }
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

void CopyWindow::resizeEvent(QResizeEvent* event) {
    resizing_.follow(event->size());
    QDialog::resizeEvent(event);
}

void CopyWindow::reject() {
    // Both the close box and Escape end here. A copy stops within a moment, inside a large
    // file too: what it has copied stays.
    if (!worker_->running()) {
        QDialog::reject();
        return;
    }
    if (closeAfterRun_) {
        return; // asked already; the copy is stopping
    }
    const Notice question{MessageId::CopyTitle,
                          {Verbatim("コピー中です。コピーを中止して閉じますか？\n"
                                    "コピーの済んだファイルはそのまま残ります。")}};
    if (session_.platform.dialogs.message(question, Buttons::OkCancel) != Answer::Ok) {
        return;
    }
    closeAfterRun_ = true;
    if (worker_->running()) {
        worker_->requestStop();
    } else {
        QTimer::singleShot(0, this, &QDialog::close); // it ended while the question was open
    }
}

} // namespace orbisk
