#pragma once

#include <QFont>
#include <QIcon>
#include <QPixmap>

namespace orbisk::pictures {

// The width of the black band down the left edge of every window.
inline constexpr int BandWidth = 104;

// The pictures of the three windows, drawn once when first asked for.
const QPixmap& MainBackground();    // 500 x 240: black band, name, version and maker
const QPixmap& CopyBackground();    // 640 x 480: black band, "Send"
const QPixmap& ReportBackground();  // 500 x 240: black band, "Report"
const QPixmap& CatalogBackground(); // 760 x 480: black band, "Catalog"
const QPixmap& AddButton();         // 103 x 103: disc over ADD
const QPixmap& FindButton();        // 103 x 103: magnifier over FIND
const QPixmap& EditButton();        // 103 x 103: hammer and wrench over EDIT
const QIcon& ProgramIcon();         // 32 x 32

// The Japanese Gothic face of the windows and their buttons, 8.25 point.
QFont WindowFont();
// The face of the words drawn on the windows' pictures.
QFont TitleFont();

} // namespace orbisk::pictures
