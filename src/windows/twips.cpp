#include "windows/twips.h"

#include "windows/pictures.h"

#include <QGuiApplication>
#include <QScreen>

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

} // namespace orbisk
