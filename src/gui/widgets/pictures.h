#pragma once

#include <QFont>
#include <QIcon>
#include <QPixmap>

namespace orbisk::pictures {

// The pictures of the three windows, drawn once when first asked for.
const QPixmap& mainBackground();    // 500 x 240: black band, name, version and maker
const QPixmap& copyBackground();    // 640 x 480: black band, "Send" and "Receive"
const QPixmap& reportBackground();  // 500 x 240: black band, "Report"
const QPixmap& catalogBackground(); // 760 x 480: black band, "Catalog"
const QPixmap& addButton();         // 103 x 103: disc over ADD
const QPixmap& findButton();        // 103 x 103: magnifier over FIND
const QPixmap& editButton();        // 103 x 103: hammer and wrench over EDIT
const QIcon& programIcon();         // 32 x 32

// The Japanese Gothic face of the windows and their buttons, 8.25 point.
QFont windowFont();

} // namespace orbisk::pictures
