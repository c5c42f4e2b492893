#include "widgets/window_parts.h"

#include "services/message_dialog.h"
#include "widgets/pictures.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLibraryInfo>
#include <QLocale>
#include <QPainter>
#include <QScreen>
#include <QTranslator>

namespace orbisk {

void MakeFixedWindow(QWidget* window, int clientWidthTwips, int clientHeightTwips) {
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    window->setFixedSize(Pixels(clientWidthTwips), Pixels(clientHeightTwips));
    window->setWindowIcon(pictures::ProgramIcon());
    window->setFont(pictures::WindowFont());
}

void MakeResizableWindow(QWidget* window, int clientWidthTwips, int clientHeightTwips) {
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::WindowMaximizeButtonHint);
    window->setMinimumSize(Pixels(clientWidthTwips), Pixels(clientHeightTwips));
    window->resize(window->minimumSize());
    window->setWindowIcon(pictures::ProgramIcon());
    window->setFont(pictures::WindowFont());
}

Backdrop::Backdrop(const QPixmap& picture, QWidget* window) : QWidget(window), picture_(picture) {
    setGeometry(0, 0, window->width(), window->height());
    lower();
}

void Backdrop::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.fillRect(0, 0, pictures::BandWidth, height(), Qt::black);
    painter.drawPixmap(0, 0, picture_);
}

void ResizeRules::add(QWidget* widget, int rules) {
    if (placed_.empty()) {
        first_ = widget->parentWidget()->size();
    }
    placed_.push_back({widget, widget->geometry(), rules});
}

void ResizeRules::follow(const QSize& size) {
    const int dx = std::max(0, size.width() - first_.width());
    const int dy = std::max(0, size.height() - first_.height());
    for (const Placed& p : placed_) {
        QRect at = p.at;
        at.translate(p.rules & MoveRight ? dx : 0, p.rules & MoveDown ? dy : 0);
        at.setWidth(at.width() + (p.rules & GrowRight ? dx : 0));
        at.setHeight(at.height() + (p.rules & GrowDown ? dy : 0));
        p.widget->setGeometry(at);
    }
}

void FitCaption(QPushButton* button) {
    // The border and a pixel of air on each side.
    const int room = button->width() - 4;
    QFont font = button->font();
    const QFontInfo used(font);
    int size = used.pixelSize();
    while (size > 6 && QFontMetrics(font).horizontalAdvance(button->text()) > room) {
        font.setPixelSize(--size);
    }
    button->setFont(font);
}

void CentreOnScreen(QWidget* window) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
    }
}

QPushButton* WhiteButton(QWidget* parent, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setStyleSheet(
        "QPushButton { background-color: white; border: 1px solid #808080; padding: 0px; }"
        "QPushButton:pressed { background-color: #d0d0d0; }"
        "QPushButton:disabled { color: #a0a0a0; }");
    return button;
}

void SetFocusOrder(std::initializer_list<QWidget*> widgets) {
    QWidget* previous = nullptr;
    for (QWidget* widget : widgets) {
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, widget);
        }
        previous = widget;
    }
}

void ShowNotice(QWidget* window, const QString& text) {
    if (window->findChild<MessageDialog*>("notice") != nullptr) {
        return;
    }
    auto* notice = new MessageDialog(QApplication::applicationName(), text, false, window);
    notice->setObjectName("notice");
    notice->setAttribute(Qt::WA_DeleteOnClose);
    notice->setModal(false);
    notice->show();
}

void UseJapaneseTexts() {
    auto* qtTexts = new QTranslator(qApp);
    if (qtTexts->load("qtbase_ja", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(qtTexts);
    }
    // Dates and numbers Qt shows itself (the file dialogs' columns) in the Japanese way.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QFont font = QApplication::font();
    font.setFamilies(pictures::WindowFont().families());
    QApplication::setFont(font);
}

QTableView* RowTable(QWidget* parent, const char* objectName, QAbstractItemModel* model) {
    auto* table = new QTableView(parent);
    table->setObjectName(objectName);
    table->setModel(model);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setWordWrap(false);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    return table;
}

} // namespace orbisk
