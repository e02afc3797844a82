#include "platform/ProgramIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace korvel {

QPixmap programPixmap(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 64 x 64 grid, like the SVG.
    p.scale(size / 64.0, size / 64.0);

    // The archive: a red box with a darker lid band.
    QLinearGradient body(0, 6, 0, 58);
    body.setColorAt(0, QColor(0xe0, 0x30, 0x20));
    body.setColorAt(1, QColor(0x7a, 0x00, 0x00));
    p.setPen(QPen(QColor(0x40, 0x00, 0x00), 2));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(8, 6, 44, 52), 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x50, 0x00, 0x00, 150));
    p.drawRect(QRectF(9, 14, 42, 4));

    // The zipper: teeth down the middle, then the pull tab.
    p.setBrush(QColor(0xd8, 0xd8, 0xd8));
    for (int i = 0; i < 8; ++i) {
        const double y = 8 + i * 4;
        p.drawRect(QRectF(i % 2 ? 30 : 26, y, 8, 2.5));
    }
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.2));
    p.setBrush(QColor(0xf4, 0xf4, 0xf4));
    p.drawRoundedRect(QRectF(25, 40, 10, 14), 3, 3);
    p.setBrush(QColor(0x30, 0x30, 0x30));
    p.drawRect(QRectF(28.5, 47, 3, 4));

    // The note, bottom right, over the box's edge.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xd0, 0x40));
    QPainterPath note;
    note.addEllipse(QRectF(40, 48, 12, 9));
    note.addRect(QRectF(49.5, 24, 2.5, 29));
    QPolygonF flag;
    flag << QPointF(52, 24) << QPointF(60, 29) << QPointF(60, 35) << QPointF(52, 30);
    note.addPolygon(flag);
    p.setPen(QPen(QColor(0x40, 0x20, 0x00), 1.5));
    p.drawPath(note.simplified());
    p.end();
    return pm;
}

QIcon programIcon() {
    QIcon icon;
    for (int s : {16, 22, 24, 32, 48, 64, 128})
        icon.addPixmap(programPixmap(s));
    return icon;
}

} // namespace korvel
