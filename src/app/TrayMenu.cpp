#include "app/TrayMenu.h"

#include <QActionEvent>
#include <QFontDatabase>
#include <QLinearGradient>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace korvel {

TrayMenu::TrayMenu(QWidget* parent) : QMenu(parent) {
    setObjectName(QStringLiteral("PopupMenu"));
    setSeparatorsCollapsible(false);
    // The entries start right of the margin.
    setContentsMargins(MarginWidth, 0, 0, 0);
}

QRect TrayMenu::marginRect() const {
    QStyleOption opt;
    opt.initFrom(this);
    const int fw = style()->pixelMetric(QStyle::PM_MenuPanelWidth, &opt, this);
    return QRect(fw, fw, MarginWidth, height() - 2 * fw);
}

QFont TrayMenu::marginFont() {
    QFont f;
    if (QFontDatabase::families().contains(QStringLiteral("Comic Sans MS"), Qt::CaseInsensitive)) {
        f = QFont(QStringLiteral("Comic Sans MS"));
    } else {
        f = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
        f.setStyleHint(QFont::SansSerif);
    }
    f.setPointSize(12);
    f.setBold(true);
    return f;
}

void TrayMenu::PopupMenuDrawMargin(QPainter& painter, const QRect& margin) {
    painter.save();
    painter.setClipRect(margin);
    QLinearGradient g(margin.topLeft(), margin.bottomLeft());
    g.setColorAt(0, QColor(255, 0, 0));
    g.setColorAt(1, QColor(63, 0, 0));
    painter.fillRect(margin, g);

    // "Korvel" reads upwards from 5 pixels above the bottom, its top against the left edge.
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(marginFont());
    painter.setPen(Qt::white);
    painter.translate(margin.left(), margin.bottom() + 1 - 5);
    painter.rotate(-90);
    const QFontMetrics fm(painter.font());
    painter.drawText(QRect(0, 0, fm.horizontalAdvance(QStringLiteral("Korvel")) + 4, margin.width()),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Korvel"));
    painter.restore();
}

void TrayMenu::paintEvent(QPaintEvent* event) {
    QMenu::paintEvent(event);
    QPainter p(this);
    PopupMenuDrawMargin(p, marginRect());
}

void TrayMenu::actionEvent(QActionEvent* event) {
    if (event->type() == QEvent::ActionAdded || event->type() == QEvent::ActionChanged)
        PopupMenuGetItemParams(event->action());
    QMenu::actionEvent(event);
}

namespace {

void drawPicture(QPainter& p, int index) {
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 0: // Restore: a window with its title bar.
        p.setPen(QPen(QColor(0, 0, 96), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.fillRect(QRectF(2, 3, 12, 3), QColor(0, 64, 192));
        break;
    case 1: // About: an "i" in a blue disc.
        p.setPen(QPen(QColor(0, 32, 128), 1));
        p.setBrush(QColor(32, 96, 224));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(7, 3.5, 2.2, 2.2));
        p.drawRect(QRectF(7, 7, 2.2, 5.5));
        break;
    case 2: // End program: a white cross in a red disc.
        p.setPen(QPen(QColor(96, 0, 0), 1));
        p.setBrush(QColor(208, 0, 0));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
        p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
        break;
    default: // A closed archive, kept in the strip for later entries.
        p.setPen(QPen(QColor(96, 64, 0), 1));
        p.setBrush(QColor(240, 200, 64));
        p.drawRect(QRectF(2.5, 3.5, 11, 10));
        p.setPen(QPen(QColor(96, 96, 96), 1.5));
        p.drawLine(QPointF(8, 3.5), QPointF(8, 11));
        break;
    }
}

} // namespace

QPixmap TrayMenu::PopupImg() {
    QPixmap strip(4 * PictureSize, PictureSize);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    for (int i = 0; i < 4; ++i) {
        p.save();
        p.translate(i * PictureSize, 0);
        drawPicture(p, i);
        p.restore();
    }
    return strip;
}

void TrayMenu::PopupMenuGetItemParams(QAction* entry) {
    bool ok = false;
    const int tag = entry->data().toInt(&ok);
    if (!ok || tag < 1 || tag > 3) {
        if (!entry->icon().isNull())
            entry->setIcon(QIcon());
        return;
    }
    if (!entry->icon().isNull())
        return;
    const QPixmap strip = PopupImg();
    entry->setIcon(QIcon(strip.copy((tag - 1) * PictureSize, 0, PictureSize, PictureSize)));
}

} // namespace korvel
