#pragma once

#include <QWidget>
#include <cmath>

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

} // namespace orbisk
