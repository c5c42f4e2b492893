#include "widgets/window_parts.h"

#include "services/message_dialog.h"
#include "widgets/pictures.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTranslator>

namespace orbisk {

void makeFixedWindow(QWidget* window, int clientWidthTwips, int clientHeightTwips) {
    window->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    window->setFixedSize(pixels(clientWidthTwips), pixels(clientHeightTwips));
    window->setWindowIcon(pictures::programIcon());
    window->setFont(pictures::windowFont());
}

void centreOnScreen(QWidget* window) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
    }
}

QPushButton* whiteButton(QWidget* parent, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setStyleSheet(
        "QPushButton { background-color: white; border: 1px solid #808080; padding: 0px; }"
        "QPushButton:pressed { background-color: #d0d0d0; }"
        "QPushButton:disabled { color: #a0a0a0; }");
    return button;
}

void setFocusOrder(std::initializer_list<QWidget*> widgets) {
    QWidget* previous = nullptr;
    for (QWidget* widget : widgets) {
        if (previous != nullptr) {
            QWidget::setTabOrder(previous, widget);
        }
        previous = widget;
    }
}

void showNotice(QWidget* window, const QString& text) {
    if (window->findChild<MessageDialog*>("notice") != nullptr) {
        return;
    }
    auto* notice = new MessageDialog(QApplication::applicationName(), text, false, window);
    notice->setObjectName("notice");
    notice->setAttribute(Qt::WA_DeleteOnClose);
    notice->setModal(false);
    notice->show();
}

void useJapaneseTexts() {
    auto* qtTexts = new QTranslator(qApp);
    if (qtTexts->load("qtbase_ja", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(qtTexts);
    }
    // Dates and numbers Qt shows itself (the file dialogs' columns) in the Japanese way.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    QFont font = QApplication::font();
    font.setFamilies(pictures::windowFont().families());
    QApplication::setFont(font);
}

} // namespace orbisk
