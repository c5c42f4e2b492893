#include "main_window.h"

#include "catalog/title_list.h"
#include "catalog_window.h"
#include "copy_window.h"
#include "search/find_files.h"
#include "search/name_index.h"
#include "services/command_worker.h"
#include "services/index_keeper.h"
#include "session.h"
#include "widgets/drive_list.h"
#include "widgets/pictures.h"
#include "widgets/progress_row.h"
#include "widgets/window_parts.h"
#include "words.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace orbisk {

namespace {

// The registration's sink on the worker: each step is shown by the window's own sink, on
// its thread, in the order the registration said it.
class QueuedRegisterSink : public RegisterSink {
public:
    QueuedRegisterSink(CommandWorker& worker, RegisterSink& window)
        : worker_(worker), window_(window) {}

    void setBusy(bool busy) override {
        worker_.post([window = &window_, busy] { window->setBusy(busy); });
    }
    void setCaption(const Message& caption) override {
        worker_.post([window = &window_, caption] { window->setCaption(caption); });
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
    void titlesChanged() override {
        worker_.post([window = &window_] { window->titlesChanged(); });
    }

private:
    CommandWorker& worker_;
    RegisterSink& window_;
};

QString qt(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string bytes(const QString& text) {
    return text.toUtf8().toStdString();
}

QPushButton* pictureButton(QWidget* parent, const QPixmap& picture, const char* name, int left) {
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    PlaceTwips(button, left, 240, 1575, 1575);
    button->setIcon(QIcon(picture));
    button->setIconSize(picture.size());
    button->setFlat(true);
    button->setAutoFillBackground(true);
    button->setStyleSheet("QPushButton { background-color: black; border: none; }");
    return button;
}

QGroupBox* panel(QWidget* parent, const QString& caption, const char* name) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setObjectName(name);
    // The frame's top line runs through the middle of its caption, as on the old forms,
    // where the controls were placed below that line: its place comes from the face in
    // use, whose height decides where the caption ends.
    const int half = QFontMetrics(frame->font()).height() / 2;
    frame->setStyleSheet(QString("QGroupBox { background: white; border: 1px solid #a0a0a0; "
                                 "border-radius: 2px; margin-top: %1px; }"
                                 "QGroupBox::title { subcontrol-origin: margin; left: 6px; "
                                 "padding: 0 2px; background: white; }")
                             .arg(half));
    PlaceTwips(frame, 3600, 2040, 3615, 1335);
    frame->hide();
    return frame;
}

// The 33-pixel labels hold "Media:" whole only in a narrowed face.
void narrowFace(QLabel* text) {
    QFont narrow = text->font();
    narrow.setStretch(QFont::SemiCondensed);
    text->setFont(narrow);
}

QLabel* label(QWidget* parent, const QString& caption, const char* name, int left, int top) {
    auto* text = new QLabel(caption, parent);
    text->setObjectName(name);
    narrowFace(text);
    PlaceTwips(text, left, top, 495, 255);
    return text;
}

} // namespace

MainWindow::MainWindow(Session& session) : session_(session) {
    setObjectName("Form1");
    MakeFixedWindow(this, 7470, 3585);
    setWindowTitle("Orbisk");
    QPalette palette = this->palette();
    palette.setBrush(QPalette::Window, QBrush(Qt::white));
    setPalette(palette);
    auto* background = new QLabel(this);
    background->setPixmap(pictures::MainBackground());
    background->setGeometry(0, 0, 500, 240);
    buildControls();
    if (session_.index != nullptr) {
        indexKeeper_ = new IndexKeeper(*session_.index, this);
        connect(indexKeeper_, &IndexKeeper::progressed, this, &MainWindow::showIndexProgress);
        connect(indexKeeper_, &IndexKeeper::finished, this, [this] { showIndexProgress(100); });
        requestIndexUpdate();
    }
    // Both panels lie on the same spot, below the picture buttons.
    registerPanel_->move(240, 136);
    searchPanel_->move(240, 136);
    worker_ = new CommandWorker(this);
    refreshTitles();
    CentreOnScreen(this);
}

MainWindow::~MainWindow() {
    // A registration still running is stopped (its rows are not stored) before the
    // controls it shows itself on go.
    delete worker_;
    delete copyWindow_.data();
    delete catalogWindow_.data();
}

void MainWindow::buildControls() {
    addPanelButton_ = pictureButton(this, pictures::AddButton(), "Command1(0)", 1800);
    findPanelButton_ = pictureButton(this, pictures::FindButton(), "Command1(1)", 3720);
    editButton_ = pictureButton(this, pictures::EditButton(), "Command1(2)", 5640);
    editButton_->setEnabled(false);

    registerPanel_ = panel(this, "ADD", "Frame1");
    driveList_ = new DriveList(session_.platform.files, "ディスクのフォルダを選択", registerPanel_);
    driveList_->setObjectName("Drive1");
    PlaceTwips(driveList_, 720, 240, 1935, 300);
    // A registration starts on a disc, never on the system unless there is nothing else.
    const auto discOrHere = [this] {
        const std::string here = QFile::encodeName(QDir::currentPath()).toStdString();
        return driveList_->firstDisc().value_or(session_.platform.files.driveOfPath(here));
    };
    driveList_->setDrive(discOrHere());
    driveList_->setFallback(discOrHere);
    driveList_->setDescriber(RegisteredTitleSaid(session_));
    driveList_->offerImages("ディスクのイメージファイルを選択");
    addButton_ = WhiteButton(registerPanel_, "ADD");
    addButton_->setObjectName("Command3");
    PlaceTwips(addButton_, 2760, 240, 735, 375);
    closeRegisterButton_ = WhiteButton(registerPanel_, "X");
    closeRegisterButton_->setObjectName("Command4");
    PlaceTwips(closeRegisterButton_, 3240, 960, 255, 255);
    label(registerPanel_, "Media:", "Label1(0)", 120, 270);
    label(registerPanel_, "Title:", "Label1(1)", 120, 630);
    progress_ =
        std::make_unique<ProgressRow>(registerPanel_, "ProgressBar1", QRect(720, 960, 1935, 255),
                                      "Label1(2)", QRect(120, 1000, 495, 255));
    narrowFace(progress_->label());
    titleBox_ = new QLineEdit(registerPanel_);
    titleBox_->setObjectName("Text1");
    PlaceTwips(titleBox_, 720, 600, 1935, 270);

    searchPanel_ = panel(this, "FIND", "Frame2");
    closeSearchButton_ = WhiteButton(searchPanel_, "X");
    closeSearchButton_->setObjectName("Command5");
    PlaceTwips(closeSearchButton_, 3240, 960, 255, 255);
    label(searchPanel_, "Title:", "Label2(0)", 120, 260);
    label(searchPanel_, "Key:", "Label2(2)", 120, 680);
    keyBox_ = new QLineEdit(searchPanel_);
    keyBox_->setObjectName("Text3");
    PlaceTwips(keyBox_, 720, 650, 1935, 270);
    findButton_ = WhiteButton(searchPanel_, "FIND");
    findButton_->setObjectName("Command6");
    PlaceTwips(findButton_, 2760, 240, 735, 375);
    titleList_ = new QComboBox(searchPanel_);
    titleList_->setObjectName("Combo1");
    titleList_->setEditable(true);
    titleList_->setInsertPolicy(QComboBox::NoInsert);
    // What the user types stays as typed: completing "all" to "ALL" would turn a title
    // into a search of every disc.
    titleList_->setCompleter(nullptr);
    PlaceTwips(titleList_, 720, 240, 1935, 300);

    SetFocusOrder({addPanelButton_, findPanelButton_, editButton_, driveList_, addButton_,
                   closeRegisterButton_, titleBox_, closeSearchButton_, keyBox_, findButton_,
                   titleList_});

    connect(addPanelButton_, &QPushButton::clicked, this, [this] { showPanel(registerPanel_); });
    connect(findPanelButton_, &QPushButton::clicked, this, [this] { showPanel(searchPanel_); });
    connect(editButton_, &QPushButton::clicked, this, &MainWindow::edit);
    connect(addButton_, &QPushButton::clicked, this, &MainWindow::add);
    connect(closeRegisterButton_, &QPushButton::clicked, registerPanel_, &QWidget::hide);
    connect(closeSearchButton_, &QPushButton::clicked, searchPanel_, &QWidget::hide);
    connect(findButton_, &QPushButton::clicked, this, &MainWindow::find);
    // Enter in a panel's text does what the panel's button does.
    connect(titleBox_, &QLineEdit::returnPressed, addButton_, &QPushButton::click);
    connect(keyBox_, &QLineEdit::returnPressed, findButton_, &QPushButton::click);
}

void MainWindow::showPanel(QGroupBox* panel) {
    // The register panel is shown before the search panel is hidden, and the other way
    // round, as the two buttons always did.
    if (panel == registerPanel_) {
        registerPanel_->setVisible(true);
        searchPanel_->setVisible(false);
    } else {
        registerPanel_->setVisible(false);
        searchPanel_->setVisible(true);
    }
}

void MainWindow::add() {
    if (worker_->running()) {
        return;
    }
    closeAfterRun_ = false;
    worker_->start([this, drive = driveList_->driveText(),
                    title = bytes(titleBox_->text())](std::stop_token stop) {
        // The sink and the dialogs live on the worker, as long as the registration.
        QueuedRegisterSink sink(*worker_, *this);
        WorkerDialogs dialogs(*worker_, session_.platform.dialogs);
        const Platform& p = session_.platform;
        const Registration done =
            RegisterDisc({p.files, p.tray, dialogs, p.clock, p.numbers}, session_.catalogFile,
                         drive, title, sink, std::move(stop));
        worker_->post([this, done] { registered(done); });
    });
}

void MainWindow::registered(Registration done) {
    if (done == Registration::Registered) {
        requestIndexUpdate();
    }
    if (closeAfterRun_) {
        // After finished(), when the worker is no longer running.
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

bool MainWindow::registering() const {
    return worker_->running();
}

CopyWindow* MainWindow::copyWindow() const {
    return copyWindow_.data();
}

CatalogWindow* MainWindow::catalogWindow() const {
    return catalogWindow_.data();
}

void MainWindow::requestIndexUpdate() {
    if (indexKeeper_ != nullptr) {
        indexKeeper_->request();
    }
}

void MainWindow::showIndexProgress(int percent) {
    // The caption is the registration's while one runs.
    if (!worker_->running()) {
        setWindowTitle(percent < 100 ? QString("Orbisk (索引を作成中 %1%)").arg(percent)
                                     : "Orbisk");
    }
}

void MainWindow::edit() {
    catalogWindow_ = new CatalogWindow(session_, this);
    connect(catalogWindow_, &CatalogWindow::catalogueChanged, this, [this] {
        refreshTitles();
        requestIndexUpdate();
    });
    catalogWindow_->showModal();
}

void MainWindow::find() {
    auto hits = FindFiles(session_.platform.dialogs, session_.catalogFile, session_.index,
                          bytes(keyBox_->text()), bytes(titleList_->currentText()));
    // The search scanned because the index was out of step (another program changed the
    // catalogue, or the index's files): it is proved again meanwhile.
    if (session_.index != nullptr && !session_.index->trusted()) {
        requestIndexUpdate();
    }
    if (!hits) {
        return;
    }
    copyWindow_ = new CopyWindow(session_, std::move(*hits));
    copyWindow_->showModal();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!worker_->running()) {
        QWidget::closeEvent(event);
        return;
    }
    // A registration is stored whole or not at all: closing stops it, and the window
    // closes once the catalogue is as it was before it.
    event->ignore();
    if (closeAfterRun_) {
        return; // asked already; the registration is stopping
    }
    const Notice question{MessageId::RegisterTitle,
                          {Verbatim("登録中です。登録を中止して閉じますか？\n"
                                    "このディスクは登録されません。")}};
    if (session_.platform.dialogs.message(question, Buttons::OkCancel) != Answer::Ok) {
        return;
    }
    closeAfterRun_ = true;
    if (worker_->running()) {
        worker_->requestStop();
    } else {
        QTimer::singleShot(0, this, &QWidget::close); // it ended while the question was open
    }
}

void MainWindow::refreshTitles() {
    const std::vector<std::string> entries =
        TitleEntries(session_.catalogFile, session_.platform.dialogs);
    QStringList items;
    items.reserve(static_cast<qsizetype>(entries.size()));
    for (const std::string& entry : entries) {
        items << qt(entry);
    }
    titleList_->clear();
    titleList_->addItems(items);
    titleList_->setEditText(AllTitles);
    // EDIT has something to show once the catalogue holds a title.
    hasTitles_ = entries.size() > 1;
    editButton_->setEnabled(hasTitles_);
}

void MainWindow::setBusy(bool busy) {
    const std::initializer_list<QWidget*> inOrder = {
        driveList_,      titleBox_,        addButton_, closeRegisterButton_,
        addPanelButton_, findPanelButton_, editButton_};
    for (QWidget* control : inOrder) {
        control->setEnabled(!busy && (control != editButton_ || hasTitles_));
    }
}

void MainWindow::setCaption(const Message& caption) {
    setWindowTitle(qt(Japanese(caption)));
}

void MainWindow::setProgressMax(int max) {
    progress_->setMaximum(max);
}

void MainWindow::setProgressValue(int value) {
    progress_->setValue(value);
}

void MainWindow::setPercentLabel(const std::string& text) {
    progress_->setPercentText(text);
}

} // namespace orbisk
