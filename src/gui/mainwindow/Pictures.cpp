#include "gui/mainwindow/Pictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

// The icon is a resource of this static library: its registration is linked in
// only through a call.
static void registerIconResource()
{
    Q_INIT_RESOURCE(rudozuzurivaz);
}

namespace pictures {

namespace {
// One open magazine, drawn as two pages with lines of text, for the background.
void drawOpenMagazine(QPainter &painter, const QPointF &centre, double width, double angle, double opacity)
{
    painter.save();
    painter.translate(centre);
    painter.rotate(angle);
    painter.setOpacity(opacity);
    const double height = width * 0.62;
    const double page = width / 2;
    painter.setPen(QPen(QColor(0x1F, 0x4E, 0x79), 1.5));
    painter.setBrush(QColor(0xF4, 0xF8, 0xFB));
    painter.drawRect(QRectF(-page, -height / 2, page, height));
    painter.drawRect(QRectF(0, -height / 2, page, height));
    painter.setPen(QPen(QColor(0x1F, 0x4E, 0x79), 1));
    for (double y = -height / 2 + height * 0.15; y < height / 2 - height * 0.1; y += height * 0.09) {
        painter.drawLine(QPointF(-page + page * 0.12, y), QPointF(-page * 0.12, y));
        painter.drawLine(QPointF(page * 0.12, y), QPointF(page - page * 0.12, y));
    }
    painter.restore();
}
} // namespace

QPixmap background()
{
    QPixmap picture(800, 600);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, 600);
    sky.setColorAt(0.0, QColor(0x2E, 0x6F, 0x9E));
    sky.setColorAt(0.55, QColor(0x7F, 0xB2, 0xD6));
    sky.setColorAt(1.0, QColor(0xE3, 0xEF, 0xF7));
    painter.fillRect(picture.rect(), sky);

    QRadialGradient glow(QPointF(140, 90), 260);
    glow.setColorAt(0.0, QColor(255, 255, 255, 90));
    glow.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.fillRect(picture.rect(), glow);

    drawOpenMagazine(painter, QPointF(110, 470), 170, -12, 0.35);
    drawOpenMagazine(painter, QPointF(700, 130), 150, 10, 0.25);
    drawOpenMagazine(painter, QPointF(690, 500), 120, -6, 0.3);

    // Soft waves along the bottom edge.
    for (int i = 0; i < 3; ++i) {
        QPainterPath wave;
        const double base = 540 + i * 18;
        wave.moveTo(0, base);
        for (int x = 0; x <= 800; x += 100)
            wave.quadTo(x + 50, base + (i % 2 ? 14 : -14), x + 100, base);
        wave.lineTo(800, 600);
        wave.lineTo(0, 600);
        wave.closeSubpath();
        painter.fillPath(wave, QColor(255, 255, 255, 40 + i * 15));
    }
    return picture;
}

QPixmap logo()
{
    QPixmap picture(66, 30);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient face(0, 0, 0, 30);
    face.setColorAt(0.0, QColor(0x1F, 0x4E, 0x79));
    face.setColorAt(1.0, QColor(0x2E, 0x86, 0xC1));
    painter.setPen(QPen(QColor(0x12, 0x33, 0x52), 1));
    painter.setBrush(face);
    painter.drawRoundedRect(QRectF(0.5, 0.5, 65, 29), 6, 6);
    // A small open book on the left, "www" on the right.
    painter.setPen(QPen(Qt::white, 1.2));
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(QPointF(15, 9), QPointF(15, 23));
    painter.drawLine(QPointF(6, 8), QPointF(15, 10));
    painter.drawLine(QPointF(24, 8), QPointF(15, 10));
    painter.drawLine(QPointF(6, 8), QPointF(6, 21));
    painter.drawLine(QPointF(24, 8), QPointF(24, 21));
    painter.drawLine(QPointF(6, 21), QPointF(15, 23));
    painter.drawLine(QPointF(24, 21), QPointF(15, 23));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRectF(27, 0, 37, 30), Qt::AlignCenter, QStringLiteral("www"));
    return picture;
}

QIcon programIcon()
{
    registerIconResource();
    return QIcon(QStringLiteral(":/icone/rudozuzurivaz.svg"));
}

} // namespace pictures
