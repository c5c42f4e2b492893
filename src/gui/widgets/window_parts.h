#pragma once

#include <QPixmap>
#include <QPushButton>
#include <QTableView>
#include <QWidget>
#include <cmath>
#include <initializer_list>
#include <vector>

namespace orbisk {

// Layouts are kept in twips, 15 to a pixel.
inline int Pixels(int twips) {
    return static_cast<int>(std::lround(twips / 15.0));
}

inline void PlaceTwips(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(Pixels(left), Pixels(top), Pixels(width), Pixels(height));
}

// A fixed-size window without minimize and maximize buttons, with the program's icon,
// centred on its screen when shown.
void MakeFixedWindow(QWidget* window, int clientWidthTwips, int clientHeightTwips);
// The same, but the user may make it larger (never smaller); it opens at the size given.
void MakeResizableWindow(QWidget* window, int clientWidthTwips, int clientHeightTwips);
void CentreOnScreen(QWidget* window);

// A window's picture: the black band down its left edge and white beside it, with the
// picture drawn at the top left. The band goes on down a window made taller.
class Backdrop : public QWidget {
public:
    Backdrop(const QPixmap& picture, QWidget* window);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QPixmap& picture_;
};

// Where the widgets of a resizable window go as it grows from the size it was laid out
// at: each grows with it or keeps to its right or bottom edge.
class ResizeRules {
public:
    enum Rule { GrowRight = 1, GrowDown = 2, MoveRight = 4, MoveDown = 8 };

    // Takes the widget's place now as its place at the window's first size.
    void add(QWidget* widget, int rules);
    // Places every widget for the window's new size.
    void follow(const QSize& size);

private:
    struct Placed {
        QWidget* widget;
        QRect at;
        int rules;
    };
    std::vector<Placed> placed_;
    QSize first_;
};

// A button painted white with a thin border.
QPushButton* WhiteButton(QWidget* parent, const QString& caption);

// Makes the button's caption fit inside its border: the face actually used is measured
// and its size lowered until the whole caption fits.
void FitCaption(QPushButton* button);

// A table of whole rows read and never edited: one line a row, the last column filling the
// rest, no row numbers.
QTableView* RowTable(QWidget* parent, const char* objectName, QAbstractItemModel* model);

// Keyboard focus moves through widgets in the order given.
void SetFocusOrder(std::initializer_list<QWidget*> widgets);

// A short message beside a window that does not stop it: the window goes on with its
// work (a registration, a copy) while the message is shown. One at a time per window.
void ShowNotice(QWidget* window, const QString& text);

// Qt's own texts (dialog buttons, the file dialogs, context menus) in Japanese, and the
// program's proportional Gothic face for every dialog. Call once, after QApplication.
void UseJapaneseTexts();

} // namespace orbisk
