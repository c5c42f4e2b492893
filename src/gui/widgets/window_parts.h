#pragma once

#include <QPushButton>
#include <QWidget>
#include <cmath>
#include <initializer_list>

namespace orbisk {

// Layouts are kept in twips, 15 to a pixel.
inline int pixels(int twips) {
    return static_cast<int>(std::lround(twips / 15.0));
}

inline void placeTwips(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(pixels(left), pixels(top), pixels(width), pixels(height));
}

// A fixed-size window without minimize and maximize buttons, with the program's icon,
// centred on its screen when shown.
void makeFixedWindow(QWidget* window, int clientWidthTwips, int clientHeightTwips);
void centreOnScreen(QWidget* window);

// A button painted white with a thin border.
QPushButton* whiteButton(QWidget* parent, const QString& caption);

// Keyboard focus moves through widgets in the order given.
void setFocusOrder(std::initializer_list<QWidget*> widgets);

// A short message beside a window that does not stop it: the window goes on with its
// work (a registration, a copy) while the message is shown. One at a time per window.
void showNotice(QWidget* window, const QString& text);

// Qt's own texts (dialog buttons, the file dialogs, context menus) in Japanese, and the
// program's proportional Gothic face for every dialog. Call once, after QApplication.
void useJapaneseTexts();

} // namespace orbisk
