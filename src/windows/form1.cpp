#include "windows/form1.h"

#include "app/application.h"
#include "catalog/title_list.h"
#include "registration/register_command.h"
#include "search/search_command.h"
#include "windows/drive_list.h"
#include "windows/pictures.h"
#include "windows/window_parts.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace orbisk {

namespace {

QString qt(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string bytes(const QString& text) {
    return text.toUtf8().toStdString();
}

QPushButton* pictureButton(QWidget* parent, const QPixmap& picture) {
    auto* button = new QPushButton(parent);
    button->setIcon(QIcon(picture));
    button->setIconSize(picture.size());
    button->setFlat(true);
    button->setAutoFillBackground(true);
    button->setStyleSheet("QPushButton { background-color: black; border: none; }");
    return button;
}

QGroupBox* panel(QWidget* parent, const QString& caption) {
    auto* frame = new QGroupBox(caption, parent);
    frame->setAutoFillBackground(true);
    QPalette palette = frame->palette();
    palette.setColor(QPalette::Window, Qt::white);
    frame->setPalette(palette);
    placeTwips(frame, 3600, 2040, 3615, 1335);
    frame->hide();
    return frame;
}

QLabel* label(QWidget* parent, const QString& caption, int left, int top) {
    auto* text = new QLabel(caption, parent);
    // The 33-pixel labels hold "Media:" whole only in a narrowed face.
    QFont narrow = text->font();
    narrow.setStretch(QFont::SemiCondensed);
    text->setFont(narrow);
    placeTwips(text, left, top, 495, 255);
    return text;
}

} // namespace

Form1::Form1(Session& session, WindowHub& windows) : session_(session), windows_(windows) {
    makeFixedWindow(this, 7470, 3585);
    setWindowTitle("Orbisk");
    QPalette palette = this->palette();
    palette.setBrush(QPalette::Window, QBrush(Qt::white));
    setPalette(palette);
    auto* background = new QLabel(this);
    background->setPixmap(pictures::mainBackground());
    background->setGeometry(0, 0, 500, 240);
    buildControls();
    Form_Load();
    centreOnScreen(this);
}

void Form1::buildControls() {
    const QPixmap* buttonPictures[] = {&pictures::addButton(), &pictures::findButton(),
                                       &pictures::editButton()};
    const int lefts[] = {1800, 3720, 5640};
    for (short i = 0; i < 3; ++i) {
        Command1[i] = pictureButton(this, *buttonPictures[i]);
        placeTwips(Command1[i], lefts[i], 240, 1575, 1575);
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    Command1[2]->setEnabled(false);

    Frame1 = panel(this, "ADD");
    Drive1 = new DriveList(session_.platform.files, "ディスクのフォルダを選択", Frame1);
    placeTwips(Drive1, 720, 240, 1935, 300);
    // A registration starts on a disc, never on the system unless there is nothing else.
    const auto discOrHere = [this] {
        const std::string here = QFile::encodeName(QDir::currentPath()).toStdString();
        return Drive1->firstDisc().value_or(session_.platform.files.driveOfPath(here));
    };
    Drive1->setDrive(discOrHere());
    Drive1->setFallback(discOrHere);
    Command3 = whiteButton(Frame1, "ADD", true);
    placeTwips(Command3, 2760, 240, 735, 375);
    Command4 = whiteButton(Frame1, "X", false);
    placeTwips(Command4, 3240, 960, 255, 255);
    Label1[0] = label(Frame1, "Media:", 120, 270);
    Label1[1] = label(Frame1, "Title:", 120, 630);
    Label1[2] = label(Frame1, "0%", 120, 1000);
    ProgressBar1 = new QProgressBar(Frame1);
    placeTwips(ProgressBar1, 720, 960, 1935, 255);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    Text1 = new QLineEdit(Frame1);
    placeTwips(Text1, 720, 600, 1935, 270);

    Frame2 = panel(this, "FIND");
    Command5 = whiteButton(Frame2, "X", false);
    placeTwips(Command5, 3240, 960, 255, 255);
    Label2[0] = label(Frame2, "Title:", 120, 260);
    Label2[2] = label(Frame2, "Key:", 120, 680);
    Text3 = new QLineEdit(Frame2);
    placeTwips(Text3, 720, 650, 1935, 270);
    Command6 = whiteButton(Frame2, "FIND", true);
    placeTwips(Command6, 2760, 240, 735, 375);
    Combo1 = new QComboBox(Frame2);
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    // What the user types stays as typed: completing "all" to "ALL" would turn a title
    // into a search of every disc.
    Combo1->setCompleter(nullptr);
    placeTwips(Combo1, 720, 240, 1935, 300);

    setFocusOrder({Command1[0], Command1[1], Command1[2], Drive1, Command3, Command4, Text1,
                   Command5, Text3, Command6, Combo1});

    connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QPushButton::clicked, Frame1, &QWidget::hide);
    connect(Command5, &QPushButton::clicked, Frame2, &QWidget::hide);
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    // Enter in a panel's text does what the panel's button does.
    connect(Text1, &QLineEdit::returnPressed, Command3, &QPushButton::click);
    connect(Text3, &QLineEdit::returnPressed, Command6, &QPushButton::click);
}

void Form1::Form_Load() {
    Frame1->move(240, 136);
    Frame2->move(240, 136);
    SubSetDb();
}

void Form1::Command1_Click(short index) {
    if (index == 0) {
        Frame1->setVisible(true);
        Frame2->setVisible(false);
    } else if (index == 1) {
        Frame1->setVisible(false);
        Frame2->setVisible(true);
    }
}

void Form1::Command3_Click() {
    // The registration needs this window until it ends: closing waits for it.
    registering_ = true;
    RegisterCommand(session_.platform, *this, session_.catalogFile).run();
    registering_ = false;
}

void Form1::Command6_Click() {
    SearchCommand(session_.hits, *this, windows_, session_.platform.dialogs, session_.catalogFile)
        .run();
}

void Form1::closeEvent(QCloseEvent* event) {
    if (registering_) {
        event->ignore();
        showNotice(this, "登録中は閉じられません。登録が終わるまでお待ち下さい。");
        return;
    }
    QWidget::closeEvent(event);
}

void Form1::SubSetDb() {
    std::vector<std::string> entries{AllTitles};
    std::string failure;
    try {
        entries = ReadTitleList(session_.catalogFile);
    } catch (const std::exception& error) {
        failure = error.what();
    }
    QStringList items;
    items.reserve(static_cast<qsizetype>(entries.size()));
    for (const std::string& entry : entries) {
        items << qt(entry);
    }
    Combo1->clear();
    Combo1->addItems(items);
    Combo1->setEditText(AllTitles);
    if (!failure.empty()) {
        session_.platform.dialogs.message("カタログを開けませんでした。\n" +
                                              session_.catalogFile.string() + "\n" + failure,
                                          "Orbisk", Buttons::Ok);
    }
}

std::string Form1::driveText() const {
    return Drive1->driveText();
}

std::string Form1::title() const {
    return bytes(Text1->text());
}

void Form1::setControlEnabled(RegisterControl control, bool enabled) {
    QWidget* widgets[] = {Drive1, Text1, Command3, Command4, Command1[0], Command1[1], Command1[2]};
    widgets[static_cast<int>(control)]->setEnabled(enabled);
}

void Form1::setCaption(const std::string& caption) {
    setWindowTitle(qt(caption));
}

void Form1::setProgressMax(float max) {
    ProgressBar1->setMaximum(static_cast<int>(max));
}

void Form1::setProgressValue(float value) {
    ProgressBar1->setValue(static_cast<int>(value));
}

float Form1::progressValue() const {
    return static_cast<float>(ProgressBar1->value());
}

void Form1::setPercentLabel(const std::string& text) {
    Label1[2]->setText(qt(text));
}

std::string Form1::key() const {
    return bytes(Text3->text());
}

std::string Form1::titleChoice() const {
    return bytes(Combo1->currentText());
}

} // namespace orbisk
