#include "widgets/pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace orbisk::pictures {

namespace {

QFont face(int pixelSize, bool bold = false) {
    QFont font;
    font.setFamilies({"ＭＳ Ｐゴシック", "MS PGothic", "IPAPGothic", "Noto Sans CJK JP"});
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

QPixmap bandedPicture(int width, int height) {
    QPixmap picture(width, height);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.fillRect(0, 0, BandWidth, height, Qt::black);
    return picture;
}

QPixmap buttonPicture(const QString& word, void (*drawSymbol)(QPainter&)) {
    QPixmap picture(103, 103);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 4));
    painter.setBrush(Qt::NoBrush);
    drawSymbol(painter);
    painter.setPen(Qt::white);
    painter.setFont(face(18, true));
    painter.drawText(QRect(0, 72, 103, 26), Qt::AlignCenter, word);
    return picture;
}

void drawDisc(QPainter& painter) {
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPoint(51, 38), 30, 30);
    painter.setBrush(Qt::black);
    painter.drawEllipse(QPoint(51, 38), 8, 8);
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRect(31, 18, 40, 40), 30 * 16, 60 * 16);
}

void drawMagnifier(QPainter& painter) {
    painter.drawEllipse(QPoint(45, 32), 19, 19);
    painter.setPen(QPen(Qt::white, 9, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPoint(59, 46), QPoint(77, 64));
}

// A claw hammer and an open-end wrench, crossed.
void drawTools(QPainter& painter) {
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.translate(51, 37);

    painter.save();
    painter.rotate(40);
    painter.drawRoundedRect(QRectF(-3.5, -22, 7, 50), 2, 2); // hammer handle
    painter.drawRect(QRectF(-15, -31, 30, 11));              // hammer head
    painter.restore();

    painter.save();
    painter.rotate(-40);
    painter.drawRoundedRect(QRectF(-3.5, -18, 7, 44), 3, 3); // wrench handle
    painter.drawEllipse(QPointF(0, -24), 11, 11);            // wrench head
    painter.setBrush(Qt::black);
    painter.drawRect(QRectF(-4.5, -37, 9, 14));    // the open jaw
    painter.drawEllipse(QPointF(0, 22), 2.5, 2.5); // the hole at the handle's end
    painter.restore();

    painter.restore();
}

QPixmap drawMain() {
    QPixmap picture = bandedPicture(500, 240);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(Qt::white);
    painter.setFont(face(20, true));
    painter.drawText(QPoint(12, 178), "Orbisk");
    painter.setFont(face(11));
    painter.drawText(QPoint(12, 198), "Version 1.0");
    painter.drawText(QPoint(12, 214), "Orbisk Project");
    return picture;
}

// The window's word beside the band, clear of the controls laid over the picture.
QPixmap drawTitled(int width, int height, const QString& word, int baseline) {
    QPixmap picture = bandedPicture(width, height);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(face(18, true));
    painter.setPen(QColor(40, 40, 40));
    painter.drawText(QPoint(120, baseline), word);
    return picture;
}

QIcon drawIcon() {
    QPixmap picture(32, 32);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::white);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPoint(16, 16), 13, 13);
    painter.setBrush(Qt::black);
    painter.drawEllipse(QPoint(16, 16), 4, 4);
    return QIcon(picture);
}

} // namespace

const QPixmap& MainBackground() {
    static const QPixmap picture = drawMain();
    return picture;
}

const QPixmap& CopyBackground() {
    static const QPixmap picture = drawTitled(640, 480, "Send", 20);
    return picture;
}

const QPixmap& ReportBackground() {
    static const QPixmap picture = drawTitled(500, 240, "Report", 40);
    return picture;
}

const QPixmap& CatalogBackground() {
    static const QPixmap picture = drawTitled(760, 480, "Catalog", 26);
    return picture;
}

const QPixmap& AddButton() {
    static const QPixmap picture = buttonPicture("ADD", drawDisc);
    return picture;
}

const QPixmap& FindButton() {
    static const QPixmap picture = buttonPicture("FIND", drawMagnifier);
    return picture;
}

const QPixmap& EditButton() {
    static const QPixmap picture = buttonPicture("EDIT", drawTools);
    return picture;
}

const QIcon& ProgramIcon() {
    static const QIcon icon = drawIcon();
    return icon;
}

QFont WindowFont() {
    return face(11);
}

QFont TitleFont() {
    return face(18, true);
}

} // namespace orbisk::pictures
