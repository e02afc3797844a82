#include "widgets/VerticalCaption.h"

#include <QPainter>

namespace korvel {

VerticalCaption::VerticalCaption(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {
    QFont f = font();
    f.setBold(true);
    f.setItalic(true);
    f.setPointSizeF(f.pointSizeF() * 1.6);
    setFont(f);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

void VerticalCaption::setText(const QString& t) {
    text_ = t;
    updateGeometry();
    update();
}

QSize VerticalCaption::sizeHint() const {
    QFontMetrics fm(font());
    return {fm.height() + 4, fm.horizontalAdvance(text_) + 8};
}

QSize VerticalCaption::minimumSizeHint() const {
    return {QFontMetrics(font()).height() + 4, 20};
}

void VerticalCaption::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.translate(0, height());
    p.rotate(-90);
    const QRect r(4, 0, height() - 8, width());
    p.setPen(palette().color(QPalette::Mid));
    p.drawText(r.translated(1, 1), Qt::AlignLeft | Qt::AlignVCenter, text_);
    p.setPen(QColor(0, 0, 128));
    p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter, text_);
}

} // namespace korvel
